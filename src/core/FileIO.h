#pragma once

#include "AppError.h"
#include "FileDescriptor.h"
#include "ReadLimits.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace cadrelle {

using Bytes = std::vector<std::uint8_t>;

// A file bigger than its reader's limit: "<path>: The file is larger than
// <limit>." Readers with a message of their own catch it.
class FileTooLarge : public AppError {
public:
    FileTooLarge(const std::filesystem::path& path, std::uint64_t limit);
};

// Opens a regular file for reading (symbolic links followed). A folder fails
// as FileError "Is a directory"; a device, pipe or socket fails with
// "<path>: This is not a regular file." The open never waits for a pipe's
// writer. Other failures are FileErrors.
FileDescriptor openRegularFile(const std::filesystem::path& path);

// Reads a whole regular file of at most `limit` bytes (see ReadLimits.h),
// never reading more than `limit` + 1 bytes; throws as openRegularFile,
// FileTooLarge, or FileError.
Bytes readFile(const std::filesystem::path& path, std::uint64_t limit);

// Creates `path` holding exactly `data` without ever replacing an existing
// file: the bytes go to a hidden ".lumivane-<UUID>" file beside the
// destination, which is then hard-linked to its final name (the link fails
// with "File exists" when the destination is taken). The temporary file is
// always removed, and errors name `path`, never the temporary file. Missing
// parent folders are created; the folder is claimed for temporary items
// (see TemporaryItems.h), which removes those that killed runs left.
void writeExclusive(std::span<const std::uint8_t> data, const std::filesystem::path& path);
void writeExclusive(const std::string& data, const std::filesystem::path& path);

// Replaces `path` in one step: temporary file in the same folder, fsync, rename.
void writeAtomically(std::span<const std::uint8_t> data, const std::filesystem::path& path);
void writeAtomically(const std::string& data, const std::filesystem::path& path);

// Creates a folder and its missing parents; throws FileError. A folder made
// inside a registered private folder (see PrivateFolder.h) is made 0700,
// whatever the umask; the files the writers above make there are 0600.
// Elsewhere folders are 0777 and files 0644, less what the umask takes.
void createDirectories(const std::filesystem::path& path);

// A new UUID in its 36-character upper-case text form.
std::string newUuidString();

// The name of a hidden temporary item: ".lumivane-" + a new UUID.
std::string temporaryItemName();

// Whether `name` is that of a hidden temporary item: temporaryItemName()'s
// form, or an inbox staging folder's (".preparing-" + UUID).
bool isTemporaryItemName(const std::string& name);

// Removes the hidden temporary items (named like temporaryItemName()) in
// `folder` that have not changed for a day: what a run that was killed left
// behind. A folder item counts as changed when anything directly in it
// changed. Errors are ignored; one process looks through a folder at most
// once an hour.
void removeStaleTemporaryItems(const std::filesystem::path& folder) noexcept;

// Resolves symbolic links in the existing part of a path and normalises the rest.
std::filesystem::path resolvedPath(const std::filesystem::path& path);

// The file name's extension without its dot, in ASCII lower case ("" when none).
std::string lowercaseExtension(const std::filesystem::path& path);

// Whether anything is at `path`: a file, a folder, or a symbolic link, even
// one whose target is missing (links are not followed, so a dangling link
// counts as taken, as it does for a new hard link or exclusive create).
bool itemExists(const std::filesystem::path& path);

// Removes a file or folder tree, ignoring every error.
void removeQuietly(const std::filesystem::path& path) noexcept;

// Removes a file or folder tree when it goes out of scope unless released.
class ScopedRemoval {
public:
    explicit ScopedRemoval(std::filesystem::path path) : path_(std::move(path)) {}
    ~ScopedRemoval() {
        if (!path_.empty()) {
            removeQuietly(path_);
        }
    }
    ScopedRemoval(const ScopedRemoval&) = delete;
    ScopedRemoval& operator=(const ScopedRemoval&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Keeps the item: nothing is removed.
    void release() { path_.clear(); }

private:
    std::filesystem::path path_;
};

} // namespace cadrelle
