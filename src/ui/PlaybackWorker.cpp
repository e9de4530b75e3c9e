#include "PlaybackWorker.h"

namespace cadrelle {

PlaybackWorker::PlaybackWorker(const PlaybackClock& clock, std::function<void()> afterDecode)
    : clock_(clock), afterDecode_(std::move(afterDecode)) {}

std::int64_t PlaybackWorker::open(const std::string& path, std::optional<AudioOutputFormat> audio) {
    reader_ = std::make_unique<MovieReader>(path, audio);
    return reader_->duration();
}

std::optional<PlaybackPicture> PlaybackWorker::seek(std::int64_t time, QSize size,
                                                    std::vector<AudioChunk>& audio) {
    reader_->seek(time);
    return read(time, size, audio);
}

std::optional<PlaybackPicture> PlaybackWorker::next(QSize size, std::vector<AudioChunk>& audio) {
    return read(clock_.running() ? clock_.now() : MovieReader::kNoSkipping, size, audio);
}

std::optional<PlaybackPicture> PlaybackWorker::read(std::int64_t skipBefore, QSize size,
                                                    std::vector<AudioChunk>& audio) {
    const AVFrame* decoded = reader_->nextPicture(skipBefore, audio);
    if (decoded == nullptr) {
        return std::nullopt;
    }
    if (afterDecode_) {
        afterDecode_();
    }
    PlaybackPicture picture;
    picture.time = decoded->pts;
    picture.decoded.reset(av_frame_clone(decoded), [](AVFrame* frame) { av_frame_free(&frame); });
    if (!picture.decoded) {
        throw std::bad_alloc();
    }
    // Before the view has asked for a size, the picture is converted when
    // it does.
    if (!size.isEmpty()) {
        picture.image = scaler_.scale(*decoded, size);
    }
    return picture;
}

} // namespace cadrelle
