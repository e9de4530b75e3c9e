#include "FolderLock.h"

#include "AppError.h"

namespace cadrelle {

namespace {

LockFile takeOrThrow(const std::filesystem::path& folder, const std::string& busyMessage,
                     const LockPatience& patience) {
    auto lock =
        LockFile::take(LockFile::forFolder("writing", folder), LockFile::Mode::exclusive, patience);
    if (!lock) {
        throw AppError(busyMessage);
    }
    return std::move(*lock);
}

} // namespace

FolderLock::FolderLock(const std::filesystem::path& folder, const std::string& busyMessage,
                       const LockPatience& patience)
    : lock_(takeOrThrow(folder, busyMessage, patience)) {}

} // namespace cadrelle
