#include "video/hevc/HevcAlphaVideoSink.h"

#include "core/AppError.h"
#include "video/hevc/AlphaModeBox.h"

#include <cmath>
#include <cstring>

namespace cadrelle {

namespace {

const char* const kEncodeFailed = "Unable to encode a video frame.";

X265Settings colourSettings(const VideoTrackSettings& track) {
    X265Settings settings;
    settings.width = track.width;
    settings.height = track.height;
    const double rate =
        std::isfinite(track.frameRate) && track.frameRate > 0 ? track.frameRate : 30;
    const AVRational fps = av_d2q(rate, 100000);
    settings.frameRateNumerator = fps.num;
    settings.frameRateDenominator = fps.den;
    settings.bitRate = averageBitRate(track.frameRate, track.width, track.height);
    // An IDR picture every two seconds, so players can seek.
    settings.keyframeInterval =
        static_cast<int>(std::lround(clampedFrameRate(track.frameRate) * 2));
    settings.preset = HevcAlphaVideoSink::kX265Preset;
    return settings;
}

} // namespace

HevcAlphaVideoSink::HevcAlphaVideoSink(MovieWriter& writer, const VideoTrackSettings& settings)
    : writer_(writer), settings_(settings), pending_(makePacket()) {
    const X265Settings colour = colourSettings(settings);
    encoder_ = std::make_unique<HevcAlphaEncoder>(
        colour, [this](EncodedAccessUnit&& unit) { deliver(std::move(unit)); });

    // The track is described by a parameter-only codec context: the packets
    // come from the joiner, not from an FFmpeg encoder.
    CodecContextPtr description(avcodec_alloc_context3(nullptr));
    if (!description) {
        throw std::bad_alloc();
    }
    AVCodecContext& c = *description;
    c.codec_type = AVMEDIA_TYPE_VIDEO;
    c.codec_id = AV_CODEC_ID_HEVC;
    c.codec_tag = MKTAG('h', 'v', 'c', '1');
    c.width = settings.width;
    c.height = settings.height;
    c.pix_fmt = AV_PIX_FMT_YUV420P;
    c.time_base = settings.timeBase;
    c.framerate = AVRational{colour.frameRateNumerator, colour.frameRateDenominator};
    c.bit_rate = colour.bitRate;
    c.color_primaries = AVCOL_PRI_BT709;
    c.color_trc = AVCOL_TRC_BT709;
    c.colorspace = AVCOL_SPC_BT709;
    c.color_range = AVCOL_RANGE_MPEG;
    const auto& hvcC = encoder_->decoderConfiguration();
    c.extradata =
        static_cast<std::uint8_t*>(av_mallocz(hvcC.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!c.extradata) {
        throw std::bad_alloc();
    }
    std::memcpy(c.extradata, hvcC.data(), hvcC.size());
    c.extradata_size = static_cast<int>(hvcC.size());
    stream_ = writer.addStream(c, "Cannot create the video output track.");
    stream_->avg_frame_rate = c.framerate;
}

void HevcAlphaVideoSink::write(AVFrame& frame) {
    if (frame.format != AV_PIX_FMT_YUVA420P || frame.width != settings_.width ||
        frame.height != settings_.height) {
        throw AppError(kEncodeFailed);
    }
    PlanarPicture colour;
    for (int i = 0; i < 3; ++i) {
        colour.planes[i] = frame.data[i];
        colour.strides[i] = frame.linesize[i];
    }
    encoder_->encode(colour, frame.data[3], frame.linesize[3], frame.pts);
}

void HevcAlphaVideoSink::finish(const CaptureExportControl& control) {
    control.checkCancelled();
    encoder_->finish();
    control.checkCancelled();
    writePending(settings_.endTime);
}

void HevcAlphaVideoSink::completeMovie(const std::filesystem::path& movie,
                                       const CaptureExportControl& control) {
    addAlphaModeBox(movie, control);
}

void HevcAlphaVideoSink::deliver(EncodedAccessUnit&& unit) {
    writePending(unit.pts);
    throwOnFailure(av_new_packet(pending_.get(), static_cast<int>(unit.data.size())),
                   kEncodeFailed);
    std::memcpy(pending_->data, unit.data.data(), unit.data.size());
    pending_->pts = unit.pts;
    pending_->dts = unit.pts;
    pending_->flags = unit.keyframe ? AV_PKT_FLAG_KEY : 0;
}

void HevcAlphaVideoSink::writePending(std::int64_t end) {
    writer_.writeHeldBack(*pending_, end, *stream_, settings_.timeBase, kEncodeFailed);
}

} // namespace cadrelle
