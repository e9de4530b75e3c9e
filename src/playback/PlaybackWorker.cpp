#include "PlaybackWorker.h"

#include <algorithm>

namespace cadrelle {

PlaybackWorker::PlaybackWorker(const PlaybackClock& clock, std::function<void()> afterDecode,
                               CaptureExportControl stop)
    : clock_(clock), afterDecode_(std::move(afterDecode)), stop_(std::move(stop)) {}

std::int64_t PlaybackWorker::open(const std::string& path, std::optional<AudioOutputFormat> audio) {
    reader_ = std::make_unique<MovieReader>(path, audio, stop_);
    return reader_->duration();
}

std::optional<PlaybackPicture> PlaybackWorker::seek(std::int64_t time,
                                                    std::vector<AudioChunk>& audio) {
    reader_->seek(time);
    return read(time, audio);
}

std::optional<PlaybackPicture> PlaybackWorker::next(std::vector<AudioChunk>& audio) {
    if (!clock_.running()) {
        return read(MovieReader::kNoSkipping, audio);
    }
    // A picture is ready about as long after it is asked for as the last
    // ones took: those that will have ended by then are left out.
    const std::int64_t start = clock_.now();
    std::optional<PlaybackPicture> picture = read(start + readTime_, audio);
    const std::int64_t took = std::max<std::int64_t>(clock_.now() - start, 0);
    readTime_ = (3 * readTime_ + took) / 4;
    return picture;
}

std::optional<PlaybackPicture> PlaybackWorker::read(std::int64_t skipBefore,
                                                    std::vector<AudioChunk>& audio) {
    const MoviePicture decoded = reader_->nextPicture(skipBefore, audio);
    if (decoded.frame == nullptr) {
        return std::nullopt;
    }
    if (afterDecode_) {
        afterDecode_();
    }
    PlaybackPicture picture;
    picture.time = decoded.time;
    picture.decoded.reset(av_frame_clone(decoded.frame),
                          [](AVFrame* frame) { av_frame_free(&frame); });
    if (!picture.decoded) {
        throw std::bad_alloc();
    }
    return picture;
}

} // namespace cadrelle
