#pragma once

#include "capture/CaptureRecord.h"
#include "capture/PendingScreenshot.h"
#include "core/CaptureExportControl.h"
#include "frames/LoadedFrame.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// The folder where framed screenshots wait while Quick Access is on. It keeps
// no state of its own: every call reads and writes the folder. For item <id>:
// "<id>.json" (the item file, kept after the item leaves the tray) and "<id>/"
// holding "source.png" (the original) and the framed PNG.
class ScreenshotInbox {
public:
    explicit ScreenshotInbox(std::filesystem::path directory) : directory_(std::move(directory)) {}

    const std::filesystem::path& directory() const { return directory_; }

    // Every readable item still pending, oldest first; the first unreadable
    // item file ends the load with its error.
    std::vector<PendingScreenshot> pending() const;
    // The item with that id, or none when it has no item file. Throws
    // "Invalid screenshot identifier." for an id that is not hexadecimal
    // digits and "-".
    std::optional<PendingScreenshot> item(const std::string& id) const;
    // Writes the item file atomically; an invalid record id fails as in
    // item().
    void store(const PendingScreenshot& item) const;
    // Frames `input` into `frame` as a new pending item `id` and returns its
    // record; an id that already has an item file returns that record.
    CaptureRecord prepare(const std::filesystem::path& input, const std::string& id,
                          const LoadedFrame& frame, const std::filesystem::path& destination,
                          const CaptureExportControl& control) const;
    // Copies the framed image into `folder` (the item's destination when
    // none) under a free name and marks the item saved.
    CaptureRecord save(const PendingScreenshot& item,
                       const std::optional<std::filesystem::path>& folder) const;
    // Re-frames the item's original with another frame.
    PendingScreenshot changeFrame(const PendingScreenshot& item, const LoadedFrame& frame) const;

private:
    std::filesystem::path directory_;
};

// Whether `id` is non-empty and only hexadecimal digits (full-width forms
// too) and "-".
bool isValidScreenshotID(const std::string& id);

} // namespace cadrelle
