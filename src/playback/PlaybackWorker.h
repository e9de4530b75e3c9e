#pragma once

#include "MovieReader.h"
#include "PlaybackClock.h"
#include "core/CaptureExportControl.h"

#include <QImage>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace cadrelle {

// A decoded picture ready to show: converted at the size the view last
// asked for (after the worker hands it out), with the decoded picture kept
// for other sizes.
struct PlaybackPicture {
    QImage image;
    std::shared_ptr<const AVFrame> decoded;
    // When it shows, in microseconds from the movie's start.
    std::int64_t time = 0;
};

// The part of the player that runs on its worker thread: reads the movie
// and decodes its pictures. Pictures whose time the clock has already
// passed are skipped, so a decoder that can't keep up shows fewer pictures
// rather than falling behind. Used from one thread at a time.
class PlaybackWorker {
public:
    // `afterDecode`, when set, runs after each picture is decoded (tests
    // slow the decoder down with it). Reads stop, with Cancelled, once `stop`
    // is cancelled.
    PlaybackWorker(const PlaybackClock& clock, std::function<void()> afterDecode,
                   CaptureExportControl stop);

    // Opens the movie; its duration in microseconds. Throws AppError.
    std::int64_t open(const std::string& path, std::optional<AudioOutputFormat> audio);
    // The picture showing at `time`.
    std::optional<PlaybackPicture> seek(std::int64_t time, std::vector<AudioChunk>& audio);
    // The next picture that is not late by the time it is ready, or nothing
    // after the last.
    std::optional<PlaybackPicture> next(std::vector<AudioChunk>& audio);

private:
    std::optional<PlaybackPicture> read(std::int64_t skipBefore, std::vector<AudioChunk>& audio);

    const PlaybackClock& clock_;
    std::function<void()> afterDecode_;
    const CaptureExportControl stop_;
    std::unique_ptr<MovieReader> reader_;
    // How long reading a picture takes of the clock's time,
    // averaged over the last few, in microseconds.
    std::int64_t readTime_ = 0;
};

} // namespace cadrelle
