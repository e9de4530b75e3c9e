#pragma once

#include "capture/CaptureProgress.h"
#include "capture/CaptureRecord.h"
#include "capture/ScreenshotInbox.h"
#include "core/CaptureExportControl.h"
#include "core/FileStamp.h"
#include "core/StagedFile.h"
#include "frames/FrameAsset.h"
#include "frames/FrameLibrary.h"
#include "frames/LoadedFrame.h"
#include "frames/Raster.h"
#include "video/VideoExportFormat.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// The frames and folders one caller frames with, taken once.
struct FramingSetup {
    FrameLibrary library;
    std::vector<FrameAsset> assets; // the frames to choose from
    std::optional<std::string> selectedID;
    bool automaticallyMatch = true;
    std::filesystem::path output; // the export folder
    // The inbox folder when Quick Access is on: screenshots then become
    // pending inbox items instead of files in the export folder.
    std::optional<std::filesystem::path> screenshotInbox;
};

// A capture measured and matched to its frame; once identified it has the
// name its output gets.
struct MatchedCapture {
    std::filesystem::path capture;  // as the caller named it
    std::filesystem::path resolved; // symbolic links resolved
    FrameAsset asset;
    std::optional<Raster> screenshot; // the decoded screenshot; none for recordings
    // The capture fingerprint, or a new UUID for a copy that must never meet
    // an earlier output.
    std::string identity;
    bool identifiedByFingerprint = false;

    bool isRecording() const;
};

// A screenshot framed but not yet in place: its PNG in a hidden file beside
// its output (export folder) or its item staged in the inbox. Nothing of it
// stays in memory, and dropping it leaves nothing behind.
struct StagedCapture {
    MatchedCapture capture;                // identified; its decoded screenshot freed
    std::optional<CaptureRecord> existing; // the output or item that existed already
    std::optional<StagedFile> png;
    std::optional<StagedScreenshot> inboxItem;
};

struct FramingResult {
    CaptureRecord record;
    bool framed = false; // false: the output existed already and was left alone
};

// The one way every caller frames a capture: measure it, choose its frame,
// name its output, load the frame through a small cache and hand the capture
// to the screenshot or recording renderer (or to the screenshot inbox).
//
// Names and fingerprints come from the capture's path with symbolic links
// resolved, so a capture reached through a link and directly gets one output
// name. The frame cache is shared by threads that frame at once; everything
// else works on the caller's thread.
class CaptureFramer {
public:
    explicit CaptureFramer(FramingSetup setup);

    const FramingSetup& setup() const { return setup_; }

    // Measures the capture (decoding a screenshot once, for its size and its
    // rendering) and chooses its frame. Reports the preparing phase first.
    MatchedCapture match(const std::filesystem::path& capture, const CaptureExportControl& control,
                         const CaptureProgressHandler& progress = {}) const;

    // Names the output by the capture fingerprint: the same capture, content
    // and frame always get the same name.
    void identify(MatchedCapture& capture, const CaptureExportControl& control) const;
    // Names the output by a new UUID: every call makes a new file.
    void identifyUniquely(MatchedCapture& capture) const;

    // The identifier of the output in `format` (recordings) and the output's
    // path in the export folder.
    std::string identifier(const MatchedCapture& capture, VideoExportFormat format) const;
    std::filesystem::path outputPath(const MatchedCapture& capture, VideoExportFormat format) const;
    // The record of the output in `format` when the export folder holds it.
    std::optional<CaptureRecord> existingOutput(const MatchedCapture& capture,
                                                VideoExportFormat format) const;

    // Frames an identified capture: a screenshot into the inbox when Quick
    // Access is on, otherwise into the export folder unless its output
    // exists already. A recording reports its progress in whole percents.
    // Frees the decoded screenshot. Throws, or Cancelled once `control` is.
    FramingResult frame(MatchedCapture& capture, VideoExportFormat format,
                        const CaptureExportControl& control,
                        const CaptureProgressHandler& progress = {});

    // The two halves of framing an identified screenshot: stage() does the
    // work without touching the export folder or the inbox's items (so it
    // can run before a capture is known to be complete); publish() puts the
    // result in place, leaving an output or item that appeared meanwhile
    // alone. frame() is stage() then publish().
    StagedCapture stage(MatchedCapture& capture, VideoExportFormat format,
                        const CaptureExportControl& control);
    FramingResult publish(StagedCapture& staged, VideoExportFormat format) const;

    // The decoded frame for `asset`; a few stay decoded between captures, each
    // while its file keeps its stamp.
    // Callers keep their own reference, so emptying the cache never pulls a
    // frame from under a running job.
    std::shared_ptr<const LoadedFrame> loadedFrame(const FrameAsset& asset);

private:
    // Runs `write` on the output's path; an output that appeared meanwhile
    // (the write fails with "File exists") is taken as this very result.
    FramingResult writeOutput(const MatchedCapture& capture, VideoExportFormat format,
                              const std::function<void(const std::filesystem::path&)>& write) const;
    CaptureRecord recordFor(const MatchedCapture& capture, const std::string& identifier,
                            const std::filesystem::path& output) const;

    struct CachedFrame {
        FileStamp stamp; // of the frame file when it was loaded
        std::shared_ptr<const LoadedFrame> frame;
    };

    const FramingSetup setup_;
    std::mutex cacheLock_;
    std::map<std::string, CachedFrame> cache_; // by frame id
};

} // namespace cadrelle
