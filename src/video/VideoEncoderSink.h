#pragma once

#include "core/CaptureExportControl.h"
#include "video/FrameCompositor.h"
#include "video/MovieWriter.h"
#include "video/VideoExportFormat.h"

#include <cstdint>
#include <filesystem>
#include <memory>

namespace cadrelle {

// The facts an encoder needs about the framed video track.
struct VideoTrackSettings {
    int width = 0;  // even
    int height = 0; // even
    // The recording's media time scale; frame times arrive in these units.
    AVRational timeBase{1, 600};
    // The recording's nominal frame rate (for the bit rate).
    double frameRate = 30;
    // The recording's duration in timeBase units: where the last frame ends.
    std::int64_t endTime = 0;
};

// Where the framed pictures of one export go: an encoder that writes the
// video track of the export's movie. The export decodes, composites and
// hands over pictures in the sink's layout; it never sees packets.
class VideoEncoderSink {
public:
    virtual ~VideoEncoderSink() = default;

    // The picture layout the sink takes.
    virtual CompositeLayout layout() const = 0;
    // Encodes one framed picture; frame->pts is in VideoTrackSettings::timeBase.
    // The sink may keep references to the frame. Throws AppError, FileError
    // or Cancelled.
    virtual void write(AVFrame& frame) = 0;
    // Encodes what is still buffered and writes it, checking `control`
    // between packets. The last frame lasts until VideoTrackSettings::endTime.
    virtual void finish(const CaptureExportControl& control) = 0;
    // Completes the movie file once its container is written (the default
    // leaves it as it is). Throws FileError or Cancelled.
    virtual void completeMovie(const std::filesystem::path& movie,
                               const CaptureExportControl& control) {
        (void)movie;
        (void)control;
    }
};

// The sink for `format`, whose track is added to `writer` now. Throws "This
// computer cannot encode " + title + " at this size. Choose another video
// format." when no encoder takes the settings.
std::unique_ptr<VideoEncoderSink> makeVideoEncoderSink(VideoExportFormat format,
                                                       MovieWriter& writer,
                                                       const VideoTrackSettings& settings);

} // namespace cadrelle
