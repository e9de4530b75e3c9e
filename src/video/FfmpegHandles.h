#pragma once

#include <memory>
#include <string>
#include <string_view>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace cadrelle {

// Move-only owners of FFmpeg objects, each freed by its one cleanup call.
struct InputContextDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
// A muxer's context; its file is closed first when the muxer writes through
// one (formats flagged AVFMT_NOFILE do their own I/O and leave pb alone).
struct OutputContextDeleter {
    void operator()(AVFormatContext* context) const {
        if (context->pb != nullptr && context->oformat != nullptr &&
            (context->oformat->flags & AVFMT_NOFILE) == 0) {
            avio_closep(&context->pb);
        }
        avformat_free_context(context);
    }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleContextDeleter {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct ResampleContextDeleter {
    void operator()(SwrContext* context) const { swr_free(&context); }
};
struct AudioFifoDeleter {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using ScaleContextPtr = std::unique_ptr<SwsContext, ScaleContextDeleter>;
using ResampleContextPtr = std::unique_ptr<SwrContext, ResampleContextDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;

// A new frame or packet; throws std::bad_alloc when FFmpeg has no memory.
FramePtr makeFrame();
PacketPtr makePacket();

// Silences FFmpeg's own console messages: the system keeps no log and the
// command line's standard error carries only its own lines.
void silenceFfmpegLog();

// The one translation of a failed FFmpeg call, for a status below zero:
// Cancelled for an interrupted call, std::bad_alloc when FFmpeg had no
// memory, FileError(path) for a system error when a path is given, otherwise
// AppError with `failure`, the sentence naming the operation that failed
// ("Cannot decode this recording."), or where that is empty FFmpeg's own
// description of the status ("Invalid data found when processing input.").
void throwOnFailure(int status, std::string_view failure, const std::string& path = {});

} // namespace cadrelle
