#pragma once

#include "video/FfmpegHandles.h"
#include "video/VideoSource.h"

namespace cadrelle {

// Decodes the recording's video track into upright pictures in one planar
// Y'CbCr layout: converted with swscale only when the decoder's layout or
// range differs, turned by the track's display matrix only when it is not
// the identity.
class RecordingDecoder {
public:
    // Throws "Cannot decode this recording." when no decoder takes the track.
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
    AVFrame* scratch(FramePtr& frame, int width, int height);

    AffineTransform transform_;
    AVPixelFormat format_ = AV_PIX_FMT_NONE;
    CodecContextPtr context_;
    FramePtr decoded_;
    FramePtr converted_;
    FramePtr turned_;
    ScaleContextPtr scaler_;
};

} // namespace cadrelle
