#include "VideoEncoderSink.h"

#include "video/CodecVideoSink.h"

namespace cadrelle {

std::unique_ptr<VideoEncoderSink> makeVideoEncoderSink(VideoExportFormat format,
                                                       MovieWriter& writer,
                                                       const VideoTrackSettings& settings) {
    return std::make_unique<CodecVideoSink>(format, writer, settings);
}

} // namespace cadrelle
