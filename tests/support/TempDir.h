#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace cadrelle::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Names of the entries in the folder (or a sub-folder), sorted, hidden ones included.
    std::vector<std::string> entries(const std::filesystem::path& sub = {}) const;

private:
    std::filesystem::path path_;
};

// Names of the entries in a folder, sorted, hidden ones included; none when
// the folder cannot be read.
std::vector<std::string> entriesOf(const std::filesystem::path& folder);
// Whether the folder holds a hidden temporary item other than `except`: what
// a write or an export makes while it runs, or a killed run left behind.
bool hasTemporaryItem(const std::filesystem::path& folder, const std::string& except = {});

std::string readText(const std::filesystem::path& path);
void writeText(const std::filesystem::path& path, const std::string& text);

} // namespace cadrelle::test
