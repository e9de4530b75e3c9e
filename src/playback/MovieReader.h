#pragma once

#include "core/CaptureExportControl.h"
#include "video/AudioResampler.h"
#include "video/FfmpegHandles.h"
#include "video/MediaInput.h"

#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace cadrelle {

// A run of decoded sound starting `time` microseconds into the movie.
struct AudioChunk {
    std::int64_t time = 0;
    std::vector<std::uint8_t> bytes;
};

// A decoded picture as the reader hands it out, with its times in
// microseconds from the movie's start.
struct MoviePicture {
    const AVFrame* frame = nullptr;
    std::int64_t time = 0;
    std::int64_t duration = 0;
};

// Reads a movie for playback: demuxes it and decodes its video track on
// every core, and its first audio track, resampled, when asked for. Times
// are microseconds from the movie's start. Pictures the caller says will be
// late are skipped as cheaply as the codec allows: an intra-only codec
// (ProRes) drops their packets undecoded, other codecs skip pictures
// nothing refers to. Used from one thread at a time.
class MovieReader {
public:
    static constexpr std::int64_t kNoSkipping = std::numeric_limits<std::int64_t>::min();

    // Opens the file (see MediaInput); reads stop once `control` is
    // cancelled. Throws AppError with FFmpeg's description of what is wrong
    // ("Invalid data found when processing input.") or with a sentence saying
    // the movie has no video track or none that a decoder reads, FileError
    // for what is not a regular file, or Cancelled.
    MovieReader(const std::filesystem::path& path, std::optional<AudioOutputFormat> audio,
                const CaptureExportControl& control);
    ~MovieReader();
    MovieReader(const MovieReader&) = delete;
    MovieReader& operator=(const MovieReader&) = delete;

    std::int64_t duration() const { return duration_; }
    bool hasAudio() const { return audioIndex_ >= 0; }

    // Goes back to the key frame at or before `time`; the next picture is the
    // one showing at `time`, and sound starts there.
    void seek(std::int64_t time);

    // The next picture, or one without a frame after the last; sound decoded
    // on the way is added to `audio`. Packets
    // of pictures that end before `skipBefore` are left undecoded where the
    // codec allows; a picture decoded anyway is still handed out. After a
    // seek, the first picture is the one showing at its time, or the last
    // when every remaining one ends before it. Valid until the next call.
    // Throws AppError with FFmpeg's description when the movie can't be
    // read.
    MoviePicture nextPicture(std::int64_t skipBefore, std::vector<AudioChunk>& audio);

private:
    bool late(std::int64_t end, std::int64_t skipBefore) const { return end <= skipBefore; }
    std::int64_t micros(std::int64_t pts, AVRational base) const;
    void decodeAudio(const AVPacket* packet, std::vector<AudioChunk>& audio);
    bool skipPacket(const AVPacket& packet, std::int64_t skipBefore);
    // Reads and sends the next video packet; false at the end of the file.
    bool feed(std::int64_t skipBefore, std::vector<AudioChunk>& audio);

    MediaInput input_;
    CodecContextPtr video_;
    CodecContextPtr audioDecoder_;
    std::unique_ptr<AudioResampler> resampler_;
    int videoIndex_ = -1;
    int audioIndex_ = -1;
    bool intraOnly_ = false;
    std::int64_t startTime_ = 0;
    std::int64_t duration_ = 0;
    std::int64_t frameDuration_ = 0;
    std::int64_t audioFrom_ = 0;
    bool flushed_ = false;
    // The time the picture after a seek shows at, until it is handed out.
    std::int64_t seekTarget_ = kNoSkipping;
    PacketPtr packet_;
    FramePtr picture_;
    // The last picture before a seek's target, with its times.
    FramePtr fallback_;
    MoviePicture fallbackTimes_;
    FramePtr sound_;
};

} // namespace cadrelle
