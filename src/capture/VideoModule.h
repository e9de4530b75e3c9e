#pragma once

#include "core/Installation.h"
#include "video/VideoEngine.h"

#include <filesystem>

namespace cadrelle {

// The video module's place in an installation: lib/cadrelle/ under its root
// (see Installation::file).
std::filesystem::path videoModulePath(const Installation& installation);

// The video engine: the one built into the program when it has one (the
// tests), otherwise the video module next to the program, loaded on the first
// call. Throws AppError when the module cannot be loaded; a later call tries
// again.
const VideoEngine& videoEngine();

} // namespace cadrelle
