#pragma once

#include "capture/CaptureRecord.h"
#include "core/CaptureExportControl.h"
#include "frames/FrameAsset.h"
#include "frames/FrameLibrary.h"

#include <filesystem>
#include <functional>
#include <string>

namespace cadrelle {

// What the watcher hands to the screenshot inbox when Quick Access is on.
struct InboxRequest {
    std::filesystem::path inbox;       // the inbox directory
    std::filesystem::path input;       // the capture
    std::string id;                    // the capture fingerprint, the item's id
    FrameAsset asset;                  // the chosen frame
    FrameLibrary library;              // the library holding the frame's file
    std::filesystem::path destination; // the export folder, the default save folder
};

// Frames a screenshot into a new pending inbox item and returns its record;
// throws like the inbox does (Cancelled when `control` is set). The inbox
// layer provides it; the capture layer only calls it.
using InboxRoute = std::function<CaptureRecord(const InboxRequest&, CaptureExportControl&)>;

} // namespace cadrelle
