#pragma once

#include "video/VideoEngine.h"

#include <filesystem>

namespace cadrelle {

// The video module's place for a given executable: lib/cadrelle/ under the
// installation's root, or under the build tree (see programFile).
std::filesystem::path videoModulePath(const std::filesystem::path& executable);

// The video engine: the one built into the program when it has one (the
// tests), otherwise the video module next to the program, loaded on the first
// call. Throws AppError when the module cannot be loaded; a later call tries
// again.
const VideoEngine& videoEngine();

} // namespace cadrelle
