#include "MediaInput.h"

#include "core/FileIO.h"

namespace cadrelle {

MediaInput::MediaInput(const std::filesystem::path& path, const CaptureExportControl& control,
                       std::string_view failure, std::chrono::milliseconds limit)
    : path_(path), deadline_(std::make_unique<MediaDeadline>(control, limit)) {
    // Refuses what is not a regular file before FFmpeg opens it: opening a
    // pipe waits for its writer, and no interrupt callback ends that wait.
    openRegularFile(path);
    silenceFfmpegLog();

    AVFormatContext* raw = avformat_alloc_context();
    if (raw == nullptr) {
        throw std::bad_alloc();
    }
    raw->interrupt_callback = deadline_->callback();
    // On failure FFmpeg frees the context it was given.
    check(avformat_open_input(&raw, path.c_str(), nullptr, nullptr), failure);
    context_.reset(raw);
    const int found = avformat_find_stream_info(raw, nullptr);
    // A limit that passes just as the facts are read is still a time-out.
    if (found >= 0) {
        deadline_->throwIfStopped();
    }
    check(found, failure);
}

MediaInput::~MediaInput() = default;

void MediaInput::check(int status, std::string_view failure) const {
    if (status < 0) {
        deadline_->throwIfStopped();
        throwOnFailure(status, failure, path_.string());
    }
}

int MediaInput::bestStream(AVMediaType type, int related) const {
    const int index = av_find_best_stream(context_.get(), type, -1, related, nullptr, 0);
    return index >= 0 ? index : -1;
}

bool MediaInput::read(AVPacket& packet, std::string_view failure) {
    // FFmpeg polls the callback only when it goes to the file, not for
    // packets it has buffered.
    deadline_->throwIfStopped();
    const int status = av_read_frame(context_.get(), &packet);
    if (status == AVERROR_EOF) {
        return false;
    }
    check(status, failure);
    return true;
}

CodecContextPtr MediaInput::openDecoder(const AVStream& stream, DecoderThreads threads,
                                        std::string_view failure) {
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (codec == nullptr) {
        return {};
    }
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context) {
        throw std::bad_alloc();
    }
    throwOnFailure(avcodec_parameters_to_context(context.get(), stream.codecpar), failure);
    context->pkt_timebase = stream.time_base;
    context->thread_count = threads.count;
    context->thread_type = threads.slices && (codec->capabilities & AV_CODEC_CAP_SLICE_THREADS) != 0
                               ? FF_THREAD_SLICE
                               : FF_THREAD_FRAME | FF_THREAD_SLICE;
    throwOnFailure(avcodec_open2(context.get(), codec, nullptr), failure);
    return context;
}

} // namespace cadrelle
