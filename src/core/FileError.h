#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace cadrelle {

// A file-system failure. Its user description is "<path>: <system error text>",
// for example "/tmp/out.png: File exists".
class FileError : public std::system_error {
public:
    FileError(const std::filesystem::path& path, std::error_code code);
    FileError(const std::filesystem::path& path, int errnoValue);

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Throws FileError for the current errno and the given path.
[[noreturn]] void throwFileError(const std::filesystem::path& path);

} // namespace cadrelle
