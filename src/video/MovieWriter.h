#pragma once

#include "core/CaptureExportControl.h"
#include "video/FfmpegHandles.h"
#include "video/VideoExportFormat.h"

#include <filesystem>

namespace cadrelle {

// The container of one export: an MPEG-4 file for mp4, a QuickTime movie for
// the MOV formats, with the movie header at the front. Every write polls the
// job's control, so a cancelled export stops inside FFmpeg's I/O too.
class MovieWriter {
public:
    MovieWriter(const std::filesystem::path& path, VideoExportFormat format,
                const CaptureExportControl& control);
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // True when encoders must put their parameter sets into the track header.
    bool wantsGlobalHeader() const;
    // Adds a track for `encoder` (opened); throws AppError(fallback).
    AVStream* addStream(const AVCodecContext& encoder, const char* fallback);
    // Creates the file and writes the header; throws "Unable to start video
    // encoding.", FileError or Cancelled.
    void start();
    // Writes a packet whose times are in `from` units, interleaved by time.
    void write(AVPacket& packet, const AVStream& stream, AVRational from, const char* fallback);
    // Writes a held-back video packet, if any, lasting until `end` (at least one
    // tick), and empties it. Holding one packet back lets each frame last until
    // the next one starts, so variable frame timing survives.
    void writeHeldBack(AVPacket& pending, std::int64_t end, const AVStream& stream, AVRational from,
                       const char* fallback);
    // Writes the index, moving it to the front; throws "Unable to finish the
    // recording.", FileError or Cancelled.
    void finish();

private:
    std::filesystem::path path_;
    const CaptureExportControl& control_;
    OutputContextPtr context_;
    bool started_ = false;
};

} // namespace cadrelle
