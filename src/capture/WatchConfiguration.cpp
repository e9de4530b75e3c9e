#include "WatchConfiguration.h"

#include "core/FileIO.h"
#include "core/Sha256.h"

namespace cadrelle {

FramingSetup WatchConfiguration::framingSetup() const {
    return FramingSetup{library, assets, selectedID, automaticallyMatch, output, screenshotInbox};
}

namespace {

std::filesystem::path withoutTrailingSlash(std::filesystem::path path) {
    // "a/b/" has an empty file name; the root "/" stays as it is.
    while (path.has_relative_path() && path.filename().empty()) {
        path = path.parent_path();
    }
    return path;
}

} // namespace

WatchFolders normalisedWatchFolders(const std::filesystem::path& input,
                                    const std::filesystem::path& output) {
    return WatchFolders{withoutTrailingSlash(resolvedPath(input)),
                        withoutTrailingSlash(std::filesystem::absolute(output).lexically_normal())};
}

std::string journalFileName(const std::filesystem::path& resolvedInput,
                            const std::string& outputAsStored, bool allPNG) {
    Sha256 hash;
    hash.update(resolvedInput.string() + outputAsStored + (allPNG ? "true" : "false"));
    return hash.finishHex() + ".json";
}

} // namespace cadrelle
