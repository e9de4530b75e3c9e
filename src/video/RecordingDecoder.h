#pragma once

#include "video/FfmpegHandles.h"
#include "video/VideoSource.h"

namespace cadrelle {

// Decodes the recording's video track into upright pictures in one planar
// Y'CbCr layout, every one at the track's size: converted with swscale only
// when a picture's layout, range or size differs, turned by the track's
// display matrix only when it is not the identity. A picture whose size or
// layout changes mid-stream gets a converter made for it, and is scaled to
// the track's size, the size the caller checked against its frame.
class RecordingDecoder {
public:
    // Throws "Cannot decode this recording." when no decoder takes the track.
    // Later calls throw it too when a picture cannot be converted.
    explicit RecordingDecoder(const VideoSource& source);

    // Hands one packet of the video track to the decoder; nullptr ends the stream.
    // Throws "The recording is damaged or incomplete." when the decoder refuses it.
    void send(const AVPacket* packet);
    // The next upright picture in `format` (pts in the track's time base), or
    // nullptr when the decoder needs more input. Valid until the next call.
    const AVFrame* receive(AVPixelFormat format);

    // The two halves of receive(): the next decoded picture as the decoder
    // gives it, and that picture converted and turned upright.
    const AVFrame* receiveDecoded();
    const AVFrame* upright(const AVFrame& decoded, AVPixelFormat format);

private:
    // What the converter was made for; a picture that differs needs a new one.
    struct ScalerInput {
        int width = 0;
        int height = 0;
        int format = AV_PIX_FMT_NONE;
        bool fullRange = false;
        AVPixelFormat target = AV_PIX_FMT_NONE;
        friend bool operator==(const ScalerInput&, const ScalerInput&) = default;
    };

    AVFrame* scratch(FramePtr& frame, int width, int height);
    const AVFrame* convert(const AVFrame& decoded, bool fullRange);

    AffineTransform transform_;
    // The track's stored size, before the display matrix turns it.
    int width_ = 0;
    int height_ = 0;
    AVPixelFormat format_ = AV_PIX_FMT_NONE;
    CodecContextPtr context_;
    FramePtr decoded_;
    FramePtr converted_;
    FramePtr turned_;
    ScaleContextPtr scaler_;
    ScalerInput scalerInput_;
};

} // namespace cadrelle
