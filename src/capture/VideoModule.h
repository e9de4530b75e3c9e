#pragma once

#include "video/VideoEngine.h"

namespace cadrelle {

// The video engine: the one built into the program when it has one (the
// tests), otherwise the video module next to the program, loaded on the first
// call. Throws AppError when the module cannot be loaded; a later call tries
// again.
const VideoEngine& videoEngine();

} // namespace cadrelle
