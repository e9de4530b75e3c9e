#include "VideoEncoderSink.h"

#include "video/CodecVideoSink.h"
#include "video/hevc/HevcAlphaVideoSink.h"

namespace cadrelle {

std::unique_ptr<VideoEncoderSink> makeVideoEncoderSink(VideoExportFormat format,
                                                       MovieWriter& writer,
                                                       const VideoTrackSettings& settings) {
    AVPixelFormat alphaFormat = AV_PIX_FMT_NONE;
    if (format == VideoExportFormat::hevcAlpha && findAlphaHevcEncoder(&alphaFormat) == nullptr) {
        // No alpha-capable HEVC encoder in this FFmpeg: two joined x265 encodes.
        return std::make_unique<HevcAlphaVideoSink>(writer, settings);
    }
    return std::make_unique<CodecVideoSink>(format, writer, settings);
}

} // namespace cadrelle
