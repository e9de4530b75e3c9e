#include "RecordingDecoder.h"

#include "core/AppError.h"

#include <cmath>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace cadrelle {

namespace {

const char* const kCannotDecode = "Cannot decode this recording.";
const char* const kDamaged = "The recording is damaged or incomplete.";

// Copies one plane turned by a quarter-turn matrix: stored sample (x, y)
// lands at (a·x + c·y, b·x + d·y), shifted back into the picture.
template <typename Sample>
void turnPlane(const AVFrame& from, AVFrame& to, int plane, int width, int height,
               const AffineTransform& t) {
    const int a = static_cast<int>(t.a), b = static_cast<int>(t.b);
    const int c = static_cast<int>(t.c), d = static_cast<int>(t.d);
    const int offsetX = (a < 0 ? width - 1 : 0) + (c < 0 ? height - 1 : 0);
    const int offsetY = (b < 0 ? width - 1 : 0) + (d < 0 ? height - 1 : 0);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const Sample*>(
            from.data[plane] + static_cast<std::ptrdiff_t>(y) * from.linesize[plane]);
        for (int x = 0; x < width; ++x) {
            const int tx = a * x + c * y + offsetX;
            const int ty = b * x + d * y + offsetY;
            reinterpret_cast<Sample*>(to.data[plane] + static_cast<std::ptrdiff_t>(ty) *
                                                           to.linesize[plane])[tx] = row[x];
        }
    }
}

} // namespace

RecordingDecoder::RecordingDecoder(const VideoSource& source)
    : transform_(source.transform()), decoded_(makeFrame()), converted_(makeFrame()),
      turned_(makeFrame()) {
    if (!transform_.isIdentity() && !transform_.isQuarterTurn()) {
        throw AppError(kCannotDecode);
    }
    const AVCodecParameters* parameters = source.videoStream()->codecpar;
    width_ = parameters->width;
    height_ = parameters->height;
    // Every core decodes, several pictures at once.
    context_ = MediaInput::openDecoder(*source.videoStream(), {.count = 0}, kCannotDecode);
    if (!context_) {
        throw AppError(kCannotDecode);
    }
}

void RecordingDecoder::send(const AVPacket* packet) {
    const int status = avcodec_send_packet(context_.get(), packet);
    if (status < 0 && status != AVERROR_EOF) {
        throwOnFailure(status, kDamaged);
    }
}

const AVFrame* RecordingDecoder::receive(AVPixelFormat format) {
    const AVFrame* decoded = receiveDecoded();
    return decoded == nullptr ? nullptr : upright(*decoded, format);
}

const AVFrame* RecordingDecoder::receiveDecoded() {
    av_frame_unref(decoded_.get());
    const int status = avcodec_receive_frame(context_.get(), decoded_.get());
    if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) {
        return nullptr;
    }
    throwOnFailure(status, kDamaged);
    decoded_->pts = decoded_->best_effort_timestamp;
    return decoded_.get();
}

AVFrame* RecordingDecoder::scratch(FramePtr& frame, int width, int height) {
    if (frame->width != width || frame->height != height || frame->format != format_) {
        av_frame_unref(frame.get());
        frame->format = format_;
        frame->width = width;
        frame->height = height;
        throwOnFailure(av_frame_get_buffer(frame.get(), 0), "Unable to decode a video frame.");
    }
    return frame.get();
}

const AVFrame* RecordingDecoder::convert(const AVFrame& decoded, bool fullRange) {
    const ScalerInput input{decoded.width, decoded.height, decoded.format, fullRange, format_};
    if (!scaler_ || input != scalerInput_) {
        scaler_.reset(sws_getContext(
            decoded.width, decoded.height, static_cast<AVPixelFormat>(decoded.format), width_,
            height_, format_, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
        if (!scaler_) {
            throw AppError(kCannotDecode);
        }
        const int* coefficients = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(scaler_.get(), coefficients, fullRange ? 1 : 0, coefficients, 0, 0,
                                 1 << 16, 1 << 16);
        scalerInput_ = input;
    }
    AVFrame* target = scratch(converted_, width_, height_);
    // swscale answers with the number of rows written: anything but the
    // whole picture means the conversion failed.
    if (sws_scale(scaler_.get(), decoded.data, decoded.linesize, 0, decoded.height, target->data,
                  target->linesize) != height_) {
        throw AppError(kCannotDecode);
    }
    target->pts = decoded.pts;
    return target;
}

const AVFrame* RecordingDecoder::upright(const AVFrame& decoded, AVPixelFormat format) {
    format_ = format;
    const bool fullRange = decoded.color_range == AVCOL_RANGE_JPEG ||
                           decoded.format == AV_PIX_FMT_YUVJ420P ||
                           decoded.format == AV_PIX_FMT_YUVJ444P;
    const bool asIs = decoded.format == format_ && !fullRange && decoded.width == width_ &&
                      decoded.height == height_;
    const AVFrame* picture = asIs ? &decoded : convert(decoded, fullRange);
    if (transform_.isIdentity()) {
        return picture;
    }
    const bool swaps = transform_.a == 0;
    AVFrame* target = scratch(turned_, swaps ? height_ : width_, swaps ? width_ : height_);
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format_);
    for (int p = 0; p < 3; ++p) {
        const int shiftX = p == 0 ? 0 : descriptor->log2_chroma_w;
        const int shiftY = p == 0 ? 0 : descriptor->log2_chroma_h;
        const int width = AV_CEIL_RSHIFT(width_, shiftX);
        const int height = AV_CEIL_RSHIFT(height_, shiftY);
        if (descriptor->comp[0].depth > 8) {
            turnPlane<std::uint16_t>(*picture, *target, p, width, height, transform_);
        } else {
            turnPlane<std::uint8_t>(*picture, *target, p, width, height, transform_);
        }
    }
    target->pts = decoded.pts;
    return target;
}

} // namespace cadrelle
