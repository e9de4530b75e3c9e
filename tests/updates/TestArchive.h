#pragma once

#include <archive_entry.h>

#include <filesystem>
#include <string>
#include <vector>

namespace cadrelle::test {

// One entry of a .tar.gz archive written by a test.
struct ArchiveEntry {
    ArchiveEntry(std::string name_, std::string contents_ = {}, unsigned type_ = AE_IFREG,
                 unsigned perm_ = 0755, std::string symlink_ = {}, std::string hardlink_ = {})
        : name(std::move(name_)), contents(std::move(contents_)), type(type_), perm(perm_),
          symlink(std::move(symlink_)), hardlink(std::move(hardlink_)) {}
    std::string name;
    std::string contents;
    unsigned type;
    unsigned perm;
    std::string symlink;
    std::string hardlink;
};

// A symbolic link entry.
inline ArchiveEntry linkEntry(std::string name, std::string target) {
    return {std::move(name), {}, AE_IFLNK, 0777, std::move(target)};
}

// The entries of an update archive holding a program for `version`: an
// executable bin/cadrelle and the VERSION file.
std::vector<ArchiveEntry> programEntries(const std::string& version);

// A chain of links that each look harmless but together lead from the
// archive's folder to the file system's root: "x/l" → "..", "up1" →
// "x/l/..", "up<n+1>" → "x/l/up<n>/..", then "escape" → "up<depth>/etc/passwd".
std::vector<ArchiveEntry> escapingLinkChain(int depth = 24);

void writeArchive(const std::filesystem::path& path, const std::vector<ArchiveEntry>& entries);

} // namespace cadrelle::test
