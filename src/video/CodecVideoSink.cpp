#include "CodecVideoSink.h"

#include "core/AppError.h"

#include <cmath>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace cadrelle {

namespace {

const char* const kEncodeFailed = "Unable to encode a video frame.";

[[noreturn]] void throwCannotEncode(VideoExportFormat format) {
    throw AppError("This computer cannot encode " + title(format) +
                   " at this size. Choose another video format.");
}

} // namespace

const AVCodec* findAlphaHevcEncoder(AVPixelFormat* format) {
    void* state = nullptr;
    while (const AVCodec* codec = av_codec_iterate(&state)) {
        if (!av_codec_is_encoder(codec) || codec->id != AV_CODEC_ID_HEVC ||
            codec->pix_fmts == nullptr) {
            continue;
        }
        for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
            if (*f == AV_PIX_FMT_YUVA420P) {
                *format = *f;
                return codec;
            }
        }
    }
    return nullptr;
}

CodecVideoSink::CodecVideoSink(VideoExportFormat format, MovieWriter& writer,
                               const VideoTrackSettings& settings)
    : writer_(writer), settings_(settings), packet_(makePacket()), pending_(makePacket()) {
    const AVCodec* codec = nullptr;
    switch (format) {
    case VideoExportFormat::mp4:
        codec = avcodec_find_encoder_by_name("libx264");
        layout_ = {AV_PIX_FMT_YUV420P, false};
        break;
    case VideoExportFormat::proRes4444:
        codec = avcodec_find_encoder_by_name("prores_ks");
        layout_ = {AV_PIX_FMT_YUVA444P10LE, false};
        break;
    case VideoExportFormat::hevcAlpha:
        codec = findAlphaHevcEncoder(&layout_.format);
        layout_.premultiplied = true;
        break;
    }
    if (codec == nullptr) {
        throwCannotEncode(format);
    }
    context_.reset(avcodec_alloc_context3(codec));
    if (!context_) {
        throw std::bad_alloc();
    }
    AVCodecContext& c = *context_;
    c.width = settings.width;
    c.height = settings.height;
    c.pix_fmt = layout_.format;
    c.time_base = settings.timeBase;
    const double rate =
        std::isfinite(settings.frameRate) && settings.frameRate > 0 ? settings.frameRate : 30.0;
    c.framerate = av_d2q(rate, 100000);
    c.color_primaries = AVCOL_PRI_BT709;
    c.color_trc = AVCOL_TRC_BT709;
    c.colorspace = AVCOL_SPC_BT709;
    c.color_range = AVCOL_RANGE_MPEG;
    c.thread_count = 0;
    if (writer.wantsGlobalHeader()) {
        c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (format != VideoExportFormat::proRes4444) {
        c.bit_rate = averageBitRate(settings.frameRate, settings.width, settings.height);
        c.max_b_frames = 0;
    }
    if (format == VideoExportFormat::mp4) {
        av_opt_set(c.priv_data, "preset", kX264Preset, 0);
        av_opt_set(c.priv_data, "profile", "high", 0);
        // A short lookahead keeps x264's frame queue, the bulk of the
        // export's memory at phone resolutions, small.
        av_opt_set(c.priv_data, "rc-lookahead", kX264Lookahead, 0);
    } else if (format == VideoExportFormat::proRes4444) {
        av_opt_set(c.priv_data, "profile", "4444", 0);
        av_opt_set(c.priv_data, "vendor", "apl0", 0);
        c.thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    }
    if (avcodec_open2(&c, codec, nullptr) < 0) {
        throwCannotEncode(format);
    }
    stream_ = writer.addStream(c, "Cannot create the video output track.");
    stream_->avg_frame_rate = c.framerate;
}

void CodecVideoSink::write(AVFrame& frame) {
    throwOnFailure(avcodec_send_frame(context_.get(), &frame), kEncodeFailed);
    drain(nullptr);
}

void CodecVideoSink::finish(const CaptureExportControl& control) {
    throwOnFailure(avcodec_send_frame(context_.get(), nullptr), kEncodeFailed);
    drain(&control);
    writePending(settings_.endTime);
}

void CodecVideoSink::drain(const CaptureExportControl* control) {
    for (;;) {
        if (control != nullptr) {
            control->checkCancelled();
        }
        const int status = avcodec_receive_packet(context_.get(), packet_.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) {
            return;
        }
        throwOnFailure(status, kEncodeFailed);
        writePending(packet_->pts);
        av_packet_move_ref(pending_.get(), packet_.get());
    }
}

void CodecVideoSink::writePending(std::int64_t end) {
    writer_.writeHeldBack(*pending_, end, *stream_, settings_.timeBase, kEncodeFailed);
}

} // namespace cadrelle
