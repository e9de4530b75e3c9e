#include "playback/FfmpegMediaPlayer.h"
#include "playback/PlaybackEngine.h"

namespace {

std::unique_ptr<cadrelle::MediaPlayer> makePlayer() {
    return std::make_unique<cadrelle::FfmpegMediaPlayer>();
}

const cadrelle::PlaybackEngine kEngine{&makePlayer};

} // namespace

extern "C" __attribute__((visibility("default"))) const cadrelle::PlaybackEngine*
cadrelle_playback_engine() {
    return &kEngine;
}
