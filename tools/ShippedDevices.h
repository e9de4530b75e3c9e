#pragma once

#include "DeviceArtwork.h"

#include <string>
#include <vector>

namespace cadrelle::artwork {

// One device picture to draw: its design and the file name that gives it its
// model, finish and orientation when inspected ("<Model> - <Finish> -
// <Portrait|Landscape>.png").
struct FramePicture {
    std::string fileName;
    DeviceDesign design;
    bool landscape = false;
};

// Every frame shipped with the application: each iPhone in "Black" and
// "Silver", each iPad in "Space Gray" and "Silver", each in portrait and
// landscape.
std::vector<FramePicture> shippedFramePictures();

// The demo sample: a phone with an island around a 750 × 1334 opening.
FramePicture sampleFramePicture();

// The benchmark frame: 1440 × 3000 pixels around a 1320 × 2868 opening with
// an island.
FramePicture benchmarkFramePicture();

} // namespace cadrelle::artwork
