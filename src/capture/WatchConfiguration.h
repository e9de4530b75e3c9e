#pragma once

#include "capture/CaptureFramer.h"
#include "frames/FrameAsset.h"
#include "frames/FrameLibrary.h"
#include "video/VideoExportFormat.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// The complete, immutable input of one watch run.
struct WatchConfiguration {
    std::filesystem::path input;  // capture folder, symbolic links resolved
    std::filesystem::path output; // export folder
    FrameLibrary library;
    std::vector<FrameAsset> assets; // frames for matching; must not be empty
    std::optional<std::string> selectedID;
    bool automaticallyMatch = true;
    bool allPNG = false;
    std::filesystem::path journal;
    // Used for recordings when there is no way to ask the user.
    VideoExportFormat videoFormat = VideoExportFormat::mp4;
    // The inbox directory when Quick Access is on; screenshots then become
    // pending inbox items instead of files in the export folder.
    std::optional<std::filesystem::path> screenshotInbox;
    // Screenshots that their writer closed, or that were moved in, complete,
    // are framed without the settling wait where the folder reports such
    // events. Off: every capture waits until it has stayed unchanged.
    bool finishedFileEvents = true;

    // What the run frames with.
    FramingSetup framingSetup() const;
};

// The two folders of a watch run as the run and its journal name use them:
// absolute, without "." and ".." components or trailing slashes, the capture
// folder also with symbolic links resolved. Different spellings of the same
// folders ("out", "out/", "./x/../out") so share one journal.
struct WatchFolders {
    std::filesystem::path input;
    std::filesystem::path output;
};
WatchFolders normalisedWatchFolders(const std::filesystem::path& input,
                                    const std::filesystem::path& output);

// The journal's file name for a watch configuration: the SHA-256 (64
// lower-case hex digits) of the resolved capture folder path, the export
// folder path as stored and "true" or "false" for allPNG, joined without
// separators, then ".json".
std::string journalFileName(const std::filesystem::path& resolvedInput,
                            const std::string& outputAsStored, bool allPNG);

} // namespace cadrelle
