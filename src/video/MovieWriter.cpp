#include "MovieWriter.h"

#include "core/AppError.h"

#include <algorithm>

extern "C" {
#include <libavutil/opt.h>
}

namespace cadrelle {

MovieWriter::MovieWriter(const std::filesystem::path& path, VideoExportFormat format,
                         const CaptureExportControl& control)
    : path_(path), control_(control) {
    const char* container = format == VideoExportFormat::mp4 ? "mp4" : "mov";
    AVFormatContext* context = nullptr;
    throwOnFailure(avformat_alloc_output_context2(&context, nullptr, container, path.c_str()),
                   "Unable to start video encoding.");
    context_.reset(context);
    context_->interrupt_callback.callback = [](void* opaque) -> int {
        return static_cast<const CaptureExportControl*>(opaque)->isCancelled() ? 1 : 0;
    };
    context_->interrupt_callback.opaque = const_cast<CaptureExportControl*>(&control_);
}

bool MovieWriter::wantsGlobalHeader() const {
    return (context_->oformat->flags & AVFMT_GLOBALHEADER) != 0;
}

AVStream* MovieWriter::addStream(const AVCodecContext& encoder, const char* fallback) {
    AVStream* stream = avformat_new_stream(context_.get(), nullptr);
    if (stream == nullptr || avcodec_parameters_from_context(stream->codecpar, &encoder) < 0) {
        throw AppError(fallback);
    }
    stream->time_base = encoder.time_base;
    return stream;
}

void MovieWriter::start() {
    control_.checkCancelled();
    const char* const failed = "Unable to start video encoding.";
    throwOnFailure(avio_open2(&context_->pb, path_.c_str(), AVIO_FLAG_WRITE,
                              &context_->interrupt_callback, nullptr),
                   failed, path_.string());
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    const int status = avformat_write_header(context_.get(), &options);
    av_dict_free(&options);
    throwOnFailure(status, failed, path_.string());
    started_ = true;
}

void MovieWriter::writeHeldBack(AVPacket& pending, std::int64_t end, const AVStream& stream,
                                AVRational from, const char* fallback) {
    if (pending.data == nullptr) {
        return;
    }
    pending.duration = std::max<std::int64_t>(1, end - pending.pts);
    write(pending, stream, from, fallback);
    av_packet_unref(&pending);
}

void MovieWriter::write(AVPacket& packet, const AVStream& stream, AVRational from,
                        const char* fallback) {
    av_packet_rescale_ts(&packet, from, stream.time_base);
    packet.stream_index = stream.index;
    throwOnFailure(av_interleaved_write_frame(context_.get(), &packet), fallback, path_.string());
}

void MovieWriter::finish() {
    const char* const failed = "Unable to finish the recording.";
    if (!started_) {
        throw AppError(failed);
    }
    throwOnFailure(av_write_trailer(context_.get()), failed, path_.string());
    control_.checkCancelled();
    throwOnFailure(avio_closep(&context_->pb), failed, path_.string());
}

} // namespace cadrelle
