#include "CaptureFramer.h"

#include "capture/CaptureDimensions.h"
#include "capture/CaptureNaming.h"
#include "capture/RenderCapture.h"
#include "capture/ScreenshotInbox.h"
#include "core/FileError.h"
#include "core/FileIO.h"
#include "core/FileStamp.h"
#include "core/JsonSupport.h"
#include "frames/Compositor.h"
#include "frames/FrameSelection.h"

namespace cadrelle {

namespace {

constexpr std::size_t kCachedFrames = 3;
// Output names carry this much of a fingerprint, and less of a UUID.
constexpr std::size_t kFingerprintInName = 16;
constexpr std::size_t kUuidInName = 8;

} // namespace

bool MatchedCapture::isRecording() const {
    return cadrelle::isRecording(resolved);
}

CaptureFramer::CaptureFramer(FramingSetup setup) : setup_(std::move(setup)) {}

MatchedCapture CaptureFramer::match(const std::filesystem::path& capture,
                                    const CaptureExportControl& control,
                                    const CaptureProgressHandler& progress) const {
    if (progress) {
        progress({capture, CaptureProgress::Phase::preparing, 0});
    }
    MatchedCapture matched;
    matched.capture = capture;
    matched.resolved = resolvedPath(capture);
    MeasuredCapture measured = measureCapture(matched.resolved, control);
    matched.asset = selectFrame(measured.size, matched.resolved.filename().string(), setup_.assets,
                                setup_.selectedID, setup_.automaticallyMatch);
    matched.screenshot = std::move(measured.screenshot);
    return matched;
}

void CaptureFramer::identify(MatchedCapture& capture, const CaptureExportControl& control) const {
    capture.identity = captureFingerprint(capture.resolved, capture.asset.id, control);
    capture.identifiedByFingerprint = true;
}

void CaptureFramer::identifyUniquely(MatchedCapture& capture) const {
    capture.identity = newUuidString();
    capture.identifiedByFingerprint = false;
}

std::string CaptureFramer::identifier(const MatchedCapture& capture,
                                      VideoExportFormat format) const {
    return capture.identifiedByFingerprint
               ? captureIdentifier(capture.resolved, capture.identity, format)
               : capture.identity;
}

std::filesystem::path CaptureFramer::outputPath(const MatchedCapture& capture,
                                                VideoExportFormat format) const {
    return setup_.output /
           framedOutputName(capture.resolved, identifier(capture, format),
                            framedExtension(capture.resolved, format),
                            capture.identifiedByFingerprint ? kFingerprintInName : kUuidInName);
}

std::optional<CaptureRecord> CaptureFramer::existingOutput(const MatchedCapture& capture,
                                                           VideoExportFormat format) const {
    const auto output = outputPath(capture, format);
    if (!itemExists(output)) {
        return std::nullopt;
    }
    return recordFor(capture, identifier(capture, format), output);
}

FramingResult CaptureFramer::frame(MatchedCapture& capture, VideoExportFormat format,
                                   const CaptureExportControl& control,
                                   const CaptureProgressHandler& progress) {
    if (!capture.isRecording()) {
        StagedCapture staged = stage(capture, format, control);
        return publish(staged, format);
    }
    if (auto existing = existingOutput(capture, format)) {
        return {std::move(*existing), false};
    }
    const auto frame = loadedFrame(capture.asset);
    control.checkCancelled();
    return writeOutput(capture, format, [&](const std::filesystem::path& output) {
        int lastPercent = -1;
        renderCapture(capture.capture, output, *frame, control, format, [&](double fraction) {
            // Whole percents only: finer steps would only flood the caller.
            const int percent = static_cast<int>(fraction * 100.0);
            if (percent != lastPercent && progress) {
                lastPercent = percent;
                progress({capture.capture, CaptureProgress::Phase::framingRecording, fraction});
            }
        });
    });
}

StagedCapture CaptureFramer::stage(MatchedCapture& capture, VideoExportFormat format,
                                   const CaptureExportControl& control) {
    std::optional<Raster> screenshot = std::move(capture.screenshot);
    capture.screenshot.reset();
    StagedCapture staged{capture, std::nullopt, {}, std::nullopt};
    if (setup_.screenshotInbox) {
        const ScreenshotInbox inbox(*setup_.screenshotInbox);
        if (const auto item = inbox.item(capture.identity)) {
            staged.existing = item->record;
            return staged;
        }
        const auto frame = loadedFrame(capture.asset);
        screenshot.reset();
        staged.inboxItem = inbox.stage(capture.capture, capture.identity, *frame, control);
        return staged;
    }
    if ((staged.existing = existingOutput(capture, format))) {
        return staged;
    }
    const auto frame = loadedFrame(capture.asset);
    control.checkCancelled();
    staged.png.emplace(renderPng(screenshot ? *screenshot : Raster::load(capture.capture), *frame),
                       outputPath(capture, format));
    return staged;
}

FramingResult CaptureFramer::publish(StagedCapture& staged, VideoExportFormat format) const {
    const MatchedCapture& capture = staged.capture;
    if (staged.inboxItem) {
        return {ScreenshotInbox(*setup_.screenshotInbox).publish(*staged.inboxItem, setup_.output),
                true};
    }
    if (staged.existing) {
        // An inbox item found counts as prepared, as ScreenshotInbox::prepare
        // reports it; an output found in the export folder was left alone.
        return {*staged.existing, setup_.screenshotInbox.has_value()};
    }
    return writeOutput(capture, format,
                       [&](const std::filesystem::path& output) { staged.png->publish(output); });
}

FramingResult
CaptureFramer::writeOutput(const MatchedCapture& capture, VideoExportFormat format,
                           const std::function<void(const std::filesystem::path&)>& write) const {
    const auto output = outputPath(capture, format);
    try {
        write(output);
    } catch (const FileError& error) {
        // Another job or run published the output since it was looked for.
        // The name comes from the capture's content and frame, so what it
        // holds is this very result: the capture is framed already.
        if (error.path() != output || error.code() != std::errc::file_exists) {
            throw;
        }
        return {recordFor(capture, identifier(capture, format), output), false};
    }
    return {recordFor(capture, identifier(capture, format), output), true};
}

std::shared_ptr<const LoadedFrame> CaptureFramer::loadedFrame(const FrameAsset& asset) {
    // A cached frame is used only while its file keeps the stamp it was
    // loaded with: a frame file changed since is loaded again, and fails the
    // import's checks unless it is the very same image.
    const auto path = setup_.library.directory / asset.file;
    const auto stamp = FileStamp::of(path);
    {
        const std::lock_guard guard(cacheLock_);
        if (const auto found = cache_.find(asset.id);
            found != cache_.end() && stamp && found->second.stamp == *stamp) {
            return found->second.frame;
        }
    }
    // Decoded outside the lock, so other threads keep using the cached frames.
    auto frame = std::make_shared<const LoadedFrame>(asset, path);
    const std::lock_guard guard(cacheLock_);
    cache_.erase(asset.id);
    if (!stamp) {
        return frame;
    }
    if (cache_.size() >= kCachedFrames) {
        cache_.clear();
    }
    return cache_.insert_or_assign(asset.id, CachedFrame{*stamp, std::move(frame)})
        .first->second.frame;
}

CaptureRecord CaptureFramer::recordFor(const MatchedCapture& capture, const std::string& identifier,
                                       const std::filesystem::path& output) const {
    return CaptureRecord{identifier, secondsSinceReferenceDate(Clock::now()),
                         capture.capture.string(), output.string(), frameKey(capture.asset)};
}

} // namespace cadrelle
