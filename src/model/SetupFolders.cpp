#include "SetupFolders.h"

#include "core/AppError.h"
#include "core/FileDescriptor.h"
#include "core/FileError.h"
#include "core/FileIO.h"

#include <fcntl.h>
#include <unistd.h>

namespace cadrelle {

namespace {

void probeWriting(const std::filesystem::path& output) {
    std::error_code error;
    if (!std::filesystem::is_directory(output, error)) {
        throw AppError("The export folder no longer exists.");
    }
    const auto probe = output / (".lumivane-access-" + newUuidString());
    // O_EXCL: an existing file of that name is never replaced.
    FileDescriptor file = FileDescriptor::open(probe, O_WRONLY | O_CREAT | O_EXCL, 0600);
    file.close();
    std::filesystem::remove(probe, error);
    if (error) {
        throw FileError(probe, error);
    }
}

} // namespace

void SetupFolders::validate(const std::filesystem::path& input,
                            const std::filesystem::path& output) {
    std::error_code listing;
    const std::filesystem::directory_iterator entries(input, listing);
    if (listing) {
        throw AppError("Can't read your screenshot folder. Choose it again and allow folder "
                       "access. " +
                       userDescription(FileError(input, listing)));
    }
    try {
        probeWriting(output);
    } catch (const std::exception& error) {
        throw AppError("Can't save to your export folder. Choose another folder or allow folder "
                       "access. " +
                       userDescription(error));
    }
}

std::vector<std::uint8_t> folderBookmark(const std::filesystem::path& folder) {
    const std::string path = folder.string();
    return {path.begin(), path.end()};
}

std::optional<std::filesystem::path>
resolveFolderBookmark(const std::vector<std::uint8_t>& bookmark) {
    if (bookmark.empty()) {
        return std::nullopt;
    }
    const std::filesystem::path folder(std::string(bookmark.begin(), bookmark.end()));
    std::error_code error;
    if (!folder.is_absolute() || !std::filesystem::is_directory(folder, error)) {
        return std::nullopt;
    }
    return folder;
}

} // namespace cadrelle
