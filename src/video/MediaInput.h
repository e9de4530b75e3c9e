#pragma once

#include "core/CaptureExportControl.h"
#include "video/FfmpegHandles.h"
#include "video/MediaDeadline.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace cadrelle {

// How many threads a decoder works on.
struct DecoderThreads {
    // 0: as many as FFmpeg finds cores for.
    int count = 1;
    // A codec that splits pictures into slices decodes the slices of one
    // picture at once rather than several pictures at once: each picture
    // comes out as soon as its packet goes in.
    bool slices = false;
};

// A media file opened for reading, the one way recordings are opened for
// export and for playback: only a regular file (a pipe or device could hold
// the open forever), through FFmpeg with an interrupt callback that stops
// any read when the job is cancelled and gives up opening after a time
// limit, with the facts of its streams read. Failures go through the one
// translation, throwOnFailure, with the sentence the caller gives for its
// operation.
class MediaInput {
public:
    // Opens `path` and reads its streams' facts within `limit`, unless
    // `control` is cancelled first. `failure` is the sentence for a file FFmpeg
    // can't open (empty: FFmpeg's own description). Throws Cancelled, the
    // time-out AppError, FileError, or AppError.
    MediaInput(const std::filesystem::path& path, const CaptureExportControl& control,
               std::string_view failure,
               std::chrono::milliseconds limit = MediaDeadline::kDefaultLimit);
    ~MediaInput();
    MediaInput(const MediaInput&) = delete;
    MediaInput& operator=(const MediaInput&) = delete;

    const std::filesystem::path& path() const { return path_; }
    AVFormatContext* context() const { return context_.get(); }
    AVStream& stream(int index) const { return *context_->streams[index]; }

    // Opening is done: from now on only `control` (none: nothing) stops the
    // reads, with no time limit. It must outlive the reads.
    void watch(const CaptureExportControl* control) { deadline_->watchOnly(control); }

    // The stream of `type` FFmpeg thinks best, or the one best related to
    // `related`; -1 when there is none.
    int bestStream(AVMediaType type, int related = -1) const;
    // Reads the next packet of any stream; false at the end of the file.
    // Throws Cancelled once the watched control is cancelled, else as check().
    bool read(AVPacket& packet, std::string_view failure);
    // Throws for a failed call on this input: Cancelled or the time-out when
    // the reads were stopped, else through throwOnFailure with `failure`.
    void check(int status, std::string_view failure) const;

    // A decoder for `stream`, or nothing when no installed decoder reads it.
    // Throws through throwOnFailure with `failure` when it can't be opened.
    static CodecContextPtr openDecoder(const AVStream& stream, DecoderThreads threads,
                                       std::string_view failure);

private:
    std::filesystem::path path_;
    // Declared before the demuxer, which polls it until it is closed.
    std::unique_ptr<MediaDeadline> deadline_;
    InputContextPtr context_;
};

} // namespace cadrelle
