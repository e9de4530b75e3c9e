#pragma once

#include "frames/FrameAsset.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// A capture's size in pixels.
struct CaptureSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// Chooses the frame for a capture of `size` whose file is named `fileName`
// (last path component, extension included) among `assets` in catalog order.
// With `automaticallyMatch` off the preferred frame (`selectedID`) is used
// whatever its size; otherwise the frames whose opening has exactly the
// capture's size compete, narrowed by the device model named in the file
// name (the longest matching model wins) and settled by the preferred
// frame's model and finish. Throws AppError when no frame can be chosen.
FrameAsset selectFrame(CaptureSize size, const std::string& fileName,
                       const std::vector<FrameAsset>& assets,
                       const std::optional<std::string>& selectedID, bool automaticallyMatch);

// A stand-in for a preferred frame: the same model and orientation in the
// finish that replaces its finish ("Graphite" and "Midnight" become "Black",
// "Pearl" becomes "Silver"), else the portrait "iPhone 18 Pro" in "Black",
// else the first frame; none only when there are no frames.
std::optional<FrameAsset> replacementFrame(const std::optional<FrameAsset>& frame,
                                           const std::vector<FrameAsset>& assets);

} // namespace cadrelle
