#include "RenderVideo.h"

#include "core/AppError.h"
#include "core/FileError.h"
#include "core/FileIO.h"
#include "core/FileStamp.h"
#include "core/TemporaryItems.h"
#include "video/AudioTranscoder.h"
#include "video/FrameCompositor.h"
#include "video/MovieWriter.h"
#include "video/RecordingDecoder.h"
#include "video/VideoEncoderSink.h"
#include "video/VideoSource.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <list>
#include <sys/stat.h>
#include <unistd.h>

namespace cadrelle {

namespace {

void checkBeforeWork(const std::filesystem::path& input, const std::filesystem::path& output,
                     VideoExportFormat format) {
    if (resolvedPath(input) == resolvedPath(output)) {
        throw AppError("The output must be a separate file from the recording.");
    }
    if (lowercaseExtension(output) != extension(format)) {
        throw AppError("Save " + title(format) + " recordings with a ." + extension(format) +
                       " extension.");
    }
    if (itemExists(output)) {
        throw AppError("The output already exists. Choose a different filename.");
    }
}

// Reports each new whole percentage of the recording's duration, up to 99.
class ProgressReport {
public:
    ProgressReport(const std::function<void(double)>& handler, double duration)
        : handler_(handler), duration_(duration) {}

    void report(double fraction) const {
        if (handler_) {
            handler_(fraction);
        }
    }
    void frameAt(double seconds) {
        const double share = std::floor(seconds / duration_ * 100);
        const int percentage =
            std::isfinite(share) ? static_cast<int>(std::clamp(share, 0.0, 99.0)) : 0;
        if (percentage != last_) {
            last_ = percentage;
            report(percentage / 100.0);
        }
    }

private:
    const std::function<void(double)>& handler_;
    double duration_;
    int last_ = -1;
};

// Encodes the framed recording with its audio into `movie`, complete.
void encodeMovie(VideoSource& source, RecordingDecoder& decoder, const LoadedFrame& frame,
                 const std::filesystem::path& movie, const CaptureExportControl& control,
                 VideoExportFormat format, ProgressReport& report) {
    const FrameAsset& asset = frame.asset();
    const int evenWidth = static_cast<int>((asset.pixelWidth + 1) / 2 * 2);
    const int evenHeight = static_cast<int>((asset.pixelHeight + 1) / 2 * 2);
    MovieWriter writer(movie, format, control);

    VideoTrackSettings settings;
    settings.width = evenWidth;
    settings.height = evenHeight;
    settings.timeBase = AVRational{1, source.timeScale() >= 1 ? source.timeScale() : 600};
    settings.frameRate = source.frameRate();
    settings.endTime = std::llround(source.duration() * settings.timeBase.den);
    const std::unique_ptr<VideoEncoderSink> sink = makeVideoEncoderSink(format, writer, settings);
    FrameCompositor compositor(frame, evenWidth, evenHeight, sink->layout());

    std::list<AudioTranscoder> audio;
    const AVFormatContext* demuxer = source.context();
    for (unsigned i = 0; i < demuxer->nb_streams; ++i) {
        if (demuxer->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
            audio.emplace_back(*demuxer->streams[i], writer);
        }
    }

    control.checkCancelled();
    writer.start();
    report.report(0);

    source.watch(control);
    const AVRational trackTimeBase = source.videoStream()->time_base;
    std::int64_t framesWritten = 0;
    const auto encodeDecoded = [&] {
        while (const AVFrame* picture = decoder.receive(compositor.recordingFormat())) {
            control.checkCancelled();
            if (picture->pts == AV_NOPTS_VALUE) {
                throw AppError("Unable to encode a video frame.");
            }
            AVFrame* framed = compositor.compose(*picture);
            framed->pts = av_rescale_q(picture->pts, trackTimeBase, settings.timeBase);
            sink->write(*framed);
            ++framesWritten;
            report.frameAt(static_cast<double>(picture->pts) * av_q2d(trackTimeBase));
        }
    };

    const PacketPtr packet = makePacket();
    for (;;) {
        control.checkCancelled();
        if (!source.input().read(*packet, "The recording is damaged or incomplete.")) {
            break;
        }
        if (packet->stream_index == source.videoIndex()) {
            decoder.send(packet.get());
            encodeDecoded();
        } else {
            for (auto& track : audio) {
                if (track.inputIndex() == packet->stream_index) {
                    track.send(packet.get());
                }
            }
        }
        av_packet_unref(packet.get());
    }
    decoder.send(nullptr);
    encodeDecoded();
    for (auto& track : audio) {
        track.send(nullptr);
    }

    if (framesWritten == 0) {
        throw AppError("The recording is incomplete or contains no video frames.");
    }
    sink->finish(control);
    writer.finish();
    sink->completeMovie(movie, control);
    control.checkCancelled();
}

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const auto [end, ignored] =
        std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return end == folder.end();
}

} // namespace

void renderVideo(const std::filesystem::path& input, const std::filesystem::path& output,
                 const LoadedFrame& frame, const CaptureExportControl& control,
                 VideoExportFormat format, const std::function<void(double)>& progress) {
    checkBeforeWork(input, output, format);
    const std::optional<FileStamp> before = FileStamp::of(input);
    VideoSource source(input, control);

    const FrameAsset& asset = frame.asset();
    if (source.width() != asset.screen.width || source.height() != asset.screen.height) {
        throw AppError("This frame needs a " + std::to_string(asset.screen.width) + " \u00D7 " +
                       std::to_string(asset.screen.height) + " recording; this video is " +
                       std::to_string(source.width()) + " \u00D7 " +
                       std::to_string(source.height()) +
                       ". Choose a matching frame or orientation.");
    }

    RecordingDecoder decoder(source);

    // Destination: a hidden folder beside the output holds the movie until it
    // is complete; it goes away on every way out.
    const auto folder =
        output.parent_path().empty() ? std::filesystem::path(".") : output.parent_path();
    createDirectories(folder);
    claimTemporaryFolder(folder);
    removeStaleTemporaryItems(folder);
    const ScopedRemoval temporary(folder / temporaryItemName());
    const auto movie = temporary.path() / ("recording." + extension(format));
    ProgressReport report(progress, source.duration());
    try {
        createDirectories(temporary.path());
        encodeMovie(source, decoder, frame, movie, control, format, report);
    } catch (const FileError& error) {
        // The hidden folder means nothing to the user: the output is what failed.
        if (isInside(error.path(), temporary.path())) {
            throw FileError(output, error.code());
        }
        throw;
    }

    const std::optional<FileStamp> after = FileStamp::of(input);
    if (before != after) {
        throw AppError("The recording changed during export. Wait until it finishes saving and "
                       "try again.");
    }
    if (::link(movie.c_str(), output.c_str()) != 0) {
        throwFileError(output);
    }
    report.report(1);
}

} // namespace cadrelle
