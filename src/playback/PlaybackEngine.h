#pragma once

#include "MediaPlayer.h"

#include <memory>

namespace cadrelle {

// What the desktop application asks of the playback module. The application
// reaches the player through this table only, so it starts without loading
// FFmpeg; the module and its libraries are loaded when a recording is first
// previewed.
struct PlaybackEngine {
    // A new FfmpegMediaPlayer.
    std::unique_ptr<MediaPlayer> (*makePlayer)();
};

} // namespace cadrelle

// The engine, exported under this C name by the playback module
// (libcadrelle-playback.so) and linked directly into programs that build it
// in (the tests).
extern "C" const cadrelle::PlaybackEngine* cadrelle_playback_engine();
