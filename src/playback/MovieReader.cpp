#include "MovieReader.h"

#include "core/AppError.h"
#include "video/AudioResampler.h"

#include <algorithm>
#include <thread>

namespace cadrelle {
namespace {

constexpr AVRational kMicroseconds{1, 1'000'000};

// Failures of the player's reads are told in FFmpeg's own words.
constexpr std::string_view kFfmpegDescription;

} // namespace

MovieReader::MovieReader(const std::filesystem::path& path, std::optional<AudioOutputFormat> audio,
                         const CaptureExportControl& control)
    : input_(path, control, kFfmpegDescription), packet_(makePacket()), picture_(makeFrame()),
      fallback_(makeFrame()), sound_(makeFrame()) {
    input_.watch(&control);
    videoIndex_ = input_.bestStream(AVMEDIA_TYPE_VIDEO);
    if (videoIndex_ < 0) {
        throw AppError("It has no video track.");
    }
    const AVStream& video = input_.stream(videoIndex_);
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(video.codecpar->codec_id);
    intraOnly_ = descriptor != nullptr && (descriptor->props & AV_CODEC_PROP_INTRA_ONLY) != 0;
    // Every core decodes: a ProRes 4444 picture of a phone's screen takes
    // one core tens of ms. Pictures that stand alone are split into slices
    // decoded at once, so each comes out as soon as it is sent and whether
    // it is late is judged when it is sent; others decode several pictures
    // at once on frame threads, which hand each out a few packets later.
    video_ = MediaInput::openDecoder(
        video,
        {.count = int(std::max(1u, std::thread::hardware_concurrency())), .slices = intraOnly_},
        kFfmpegDescription);
    if (!video_) {
        throw AppError("No decoder reads its video track.");
    }
    const AVFormatContext& format = *input_.context();
    startTime_ = format.start_time == AV_NOPTS_VALUE ? 0 : format.start_time;
    duration_ = format.duration > 0
                    ? format.duration
                    : std::max<std::int64_t>(
                          av_rescale_q(video.duration, video.time_base, kMicroseconds), 0);
    const AVRational rate = video.avg_frame_rate.num > 0 ? video.avg_frame_rate : AVRational{30, 1};
    frameDuration_ = av_rescale_q(1, av_inv_q(rate), kMicroseconds);

    if (audio) {
        audioIndex_ = input_.bestStream(AVMEDIA_TYPE_AUDIO, videoIndex_);
        // Sound that can't be decoded is left out; the pictures still play.
        try {
            if (audioIndex_ >= 0) {
                audioDecoder_ =
                    MediaInput::openDecoder(input_.stream(audioIndex_), {}, kFfmpegDescription);
            }
            if (audioDecoder_) {
                resampler_ = std::make_unique<AudioResampler>(
                    *audioDecoder_, *audio, "The recording's sound can't be played.");
            }
        } catch (const AppError&) {
            resampler_.reset();
        }
        if (!resampler_) {
            audioIndex_ = -1;
        }
    }
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        if (int(i) != videoIndex_ && int(i) != audioIndex_) {
            format.streams[i]->discard = AVDISCARD_ALL;
        }
    }
}

MovieReader::~MovieReader() = default;

std::int64_t MovieReader::micros(std::int64_t pts, AVRational base) const {
    return av_rescale_q(pts, base, kMicroseconds) - startTime_;
}

void MovieReader::seek(std::int64_t time) {
    // Never past the start of the last picture, so that a seek to the end
    // still shows one.
    time = std::clamp<std::int64_t>(time, 0, std::max<std::int64_t>(duration_ - frameDuration_, 0));
    const AVStream& video = input_.stream(videoIndex_);
    input_.check(av_seek_frame(input_.context(), videoIndex_,
                               av_rescale_q(time + startTime_, kMicroseconds, video.time_base),
                               AVSEEK_FLAG_BACKWARD),
                 kFfmpegDescription);
    avcodec_flush_buffers(video_.get());
    if (audioDecoder_) {
        avcodec_flush_buffers(audioDecoder_.get());
    }
    av_frame_unref(fallback_.get());
    flushed_ = false;
    audioFrom_ = time;
    seekTarget_ = time;
}

MoviePicture MovieReader::nextPicture(std::int64_t skipBefore, std::vector<AudioChunk>& audio) {
    const AVRational base = input_.stream(videoIndex_).time_base;
    for (;;) {
        const int status = avcodec_receive_frame(video_.get(), picture_.get());
        if (status == 0) {
            const MoviePicture picture{
                picture_.get(), micros(picture_->best_effort_timestamp, base),
                picture_->pkt_duration > 0
                    ? av_rescale_q(picture_->pkt_duration, base, kMicroseconds)
                    : frameDuration_};
            // Only pictures before a seek's target are thrown away once
            // decoded: a late one that cost its decoding is still handed
            // out, and the player shows it unless a later one is due.
            if (late(picture.time + picture.duration, seekTarget_)) {
                av_frame_unref(fallback_.get());
                av_frame_move_ref(fallback_.get(), picture_.get());
                fallbackTimes_ = picture;
                continue;
            }
            av_frame_unref(fallback_.get());
            seekTarget_ = kNoSkipping;
            return picture;
        }
        if (status == AVERROR_EOF) {
            if (fallback_->buf[0] == nullptr) {
                return {};
            }
            av_frame_move_ref(picture_.get(), fallback_.get());
            return {picture_.get(), fallbackTimes_.time, fallbackTimes_.duration};
        }
        if (status != AVERROR(EAGAIN)) {
            throwOnFailure(status, kFfmpegDescription);
        }
        if (!feed(std::max(skipBefore, seekTarget_), audio)) {
            throwOnFailure(flushed_ ? AVERROR_EOF : avcodec_send_packet(video_.get(), nullptr),
                           kFfmpegDescription);
            flushed_ = true;
        }
    }
}

bool MovieReader::feed(std::int64_t skipBefore, std::vector<AudioChunk>& audio) {
    for (;;) {
        if (!input_.read(*packet_, kFfmpegDescription)) {
            return false;
        }
        int sent = 0;
        bool video = false;
        if (packet_->stream_index == audioIndex_) {
            decodeAudio(packet_.get(), audio);
        } else if (packet_->stream_index == videoIndex_ && !skipPacket(*packet_, skipBefore)) {
            sent = avcodec_send_packet(video_.get(), packet_.get());
            video = true;
        }
        av_packet_unref(packet_.get());
        throwOnFailure(sent, kFfmpegDescription);
        if (video) {
            return true;
        }
    }
}

bool MovieReader::skipPacket(const AVPacket& packet, std::int64_t skipBefore) {
    const AVRational base = input_.stream(videoIndex_).time_base;
    const std::int64_t length =
        packet.duration > 0 ? av_rescale_q(packet.duration, base, kMicroseconds) : frameDuration_;
    const bool behind = skipBefore != kNoSkipping && packet.pts != AV_NOPTS_VALUE &&
                        late(micros(packet.pts, base) + length, skipBefore);
    if (intraOnly_) {
        // Every picture stands alone: one whose time has passed need not
        // be decoded at all.
        return behind;
    }
    // Other pictures may be needed by those after them: only the ones
    // nothing refers to are left undecoded while behind.
    video_->skip_frame = behind ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    return false;
}

void MovieReader::decodeAudio(const AVPacket* packet, std::vector<AudioChunk>& audio) {
    // Damaged sound is left out; the pictures go on.
    if (avcodec_send_packet(audioDecoder_.get(), packet) < 0) {
        return;
    }
    const AVRational base = input_.stream(audioIndex_).time_base;
    while (avcodec_receive_frame(audioDecoder_.get(), sound_.get()) == 0) {
        const std::int64_t time = sound_->best_effort_timestamp == AV_NOPTS_VALUE
                                      ? audioFrom_
                                      : micros(sound_->best_effort_timestamp, base);
        const std::int64_t end =
            time + av_rescale(sound_->nb_samples, 1'000'000, std::max(sound_->sample_rate, 1));
        if (end <= audioFrom_) {
            continue;
        }
        audioFrom_ = end;
        std::vector<std::uint8_t> bytes;
        try {
            bytes = resampler_->convert(*sound_);
        } catch (const AppError&) {
            continue;
        }
        if (!bytes.empty()) {
            audio.push_back({time, std::move(bytes)});
        }
    }
}

} // namespace cadrelle
