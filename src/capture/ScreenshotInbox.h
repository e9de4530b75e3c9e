#pragma once

#include "capture/CaptureRecord.h"
#include "capture/PendingScreenshot.h"
#include "core/AppError.h"
#include "core/CaptureExportControl.h"
#include "core/FileIO.h"
#include "frames/LoadedFrame.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// A screenshot framed into a staging folder of the inbox, not yet an item.
// The folder is removed when this is dropped, unless publish() moved it into
// place.
struct StagedScreenshot {
    std::unique_ptr<ScopedRemoval> staging;
    std::filesystem::path input;
    std::string id;
    std::string framedName;
    std::string frameID;
    std::string frameLabel;
};

// The folder where framed screenshots wait while Quick Access is on. It keeps
// no state of its own: every call reads and writes the folder. For item <id>:
// "<id>.json" (the item file, kept after the item leaves the tray) and "<id>/"
// holding "source.png" (the original) and the framed PNG.
class ScreenshotInbox {
public:
    explicit ScreenshotInbox(std::filesystem::path directory) : directory_(std::move(directory)) {}

    const std::filesystem::path& directory() const { return directory_; }

    // Every readable item still pending, oldest first. An item that cannot
    // be read, or whose files are not where they belong (requireIntactItem),
    // is left out and left alone, and named in `damaged` (one sentence per
    // item, starting with its path); without `damaged` the first such item
    // ends the load with its error. A folder that cannot be listed fails.
    std::vector<PendingScreenshot> pending(std::vector<std::string>* damaged = nullptr) const;
    // The item with that id, or none when it has no item file. Throws
    // "Invalid screenshot identifier." for an id that is not hexadecimal
    // digits and "-", and "<file>: The screenshot item is damaged." for an
    // item file that is a symbolic link or whose record has another id than
    // its name.
    std::optional<PendingScreenshot> item(const std::string& id) const;
    // Checks that a pending item's files are its own: its folder is a real
    // folder of the inbox, not a symbolic link (so it cannot lead outside),
    // its framed image is a file of that folder, and neither that image nor
    // its original is a link. Throws "<file>: The screenshot item is
    // damaged." otherwise. Every action that reads, writes or removes an
    // item's files checks it first.
    void requireIntactItem(const PendingScreenshot& item) const;
    // Writes the item file atomically; the record's id must be valid.
    void store(const PendingScreenshot& item) const;
    // Frames `input` into `frame` as a new pending item `id` and returns its
    // record; an id that already has an item file returns that record.
    CaptureRecord prepare(const std::filesystem::path& input, const std::string& id,
                          const LoadedFrame& frame, const std::filesystem::path& destination,
                          const CaptureExportControl& control) const;
    // The two halves of prepare(): stage() copies the original and frames it
    // in a staging folder; publish() moves that folder into place and writes
    // the item file, unless an item `id` exists by then.
    StagedScreenshot stage(const std::filesystem::path& input, const std::string& id,
                           const LoadedFrame& frame, const CaptureExportControl& control) const;
    CaptureRecord publish(StagedScreenshot& staged, const std::filesystem::path& destination) const;
    // Copies the framed image into `folder` (the item's destination when
    // none) under a free name and marks the item saved. A pending item whose
    // framed image is not a file of its own folder is damaged.
    CaptureRecord save(const PendingScreenshot& item,
                       const std::optional<std::filesystem::path>& folder) const;
    // Re-frames the item's original with another frame and removes the
    // previous framed file (checked as in save()).
    PendingScreenshot changeFrame(const PendingScreenshot& item, const LoadedFrame& frame) const;

private:
    // The error for an item file whose content does not fit its place.
    AppError damagedItem(const std::string& id) const;
    // The path of a pending item's framed image, checked as
    // requireIntactItem() does.
    std::filesystem::path framedImageOf(const PendingScreenshot& item) const;

    std::filesystem::path directory_;
};

// Whether `id` is non-empty and only hexadecimal digits (full-width forms
// too) and "-".
bool isValidScreenshotID(const std::string& id);

} // namespace cadrelle
