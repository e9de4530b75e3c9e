#include "AudioPlayback.h"

#include <QAudioFormat>
#include <QAudioSink>

namespace cadrelle {
namespace {

QAudioFormat qtFormat(AudioOutputFormat format) {
    QAudioFormat qt;
    qt.setSampleRate(format.sampleRate);
    qt.setChannelCount(format.channels);
    qt.setSampleFormat(format.format == AV_SAMPLE_FMT_FLT ? QAudioFormat::Float
                                                          : QAudioFormat::Int16);
    return qt;
}

} // namespace

AudioPlayback::AudioPlayback() = default;

AudioPlayback::~AudioPlayback() {
    if (sink_) {
        sink_->stop();
    }
}

void AudioPlayback::add(AudioChunk chunk) {
    pending_.push_back(std::move(chunk));
}

void AudioPlayback::play() {
    if (!sink_) {
        sink_ = std::make_unique<QAudioSink>(qtFormat(format_));
    }
    if (device_ == nullptr) {
        device_ = sink_->start();
        base_.reset();
    } else {
        sink_->resume();
    }
    feed();
}

void AudioPlayback::pause() {
    if (device_ != nullptr) {
        sink_->suspend();
    }
}

void AudioPlayback::clear() {
    if (sink_) {
        sink_->stop();
    }
    device_ = nullptr;
    pending_.clear();
    offset_ = 0;
    base_.reset();
}

void AudioPlayback::feed() {
    if (device_ == nullptr || sink_->state() == QAudio::SuspendedState) {
        return;
    }
    qint64 room = sink_->bytesFree();
    while (room > 0 && !pending_.empty()) {
        const AudioChunk& chunk = pending_.front();
        if (!base_) {
            base_ = chunk.time;
        }
        const auto* data = reinterpret_cast<const char*>(chunk.bytes.data()) + offset_;
        const qint64 written =
            device_->write(data, std::min<qint64>(room, qint64(chunk.bytes.size() - offset_)));
        if (written <= 0) {
            return;
        }
        room -= written;
        offset_ += std::size_t(written);
        if (offset_ == chunk.bytes.size()) {
            pending_.pop_front();
            offset_ = 0;
        }
    }
}

std::optional<std::int64_t> AudioPlayback::position() const {
    if (!base_ || !sink_ || sink_->state() != QAudio::ActiveState) {
        return std::nullopt;
    }
    return *base_ + sink_->processedUSecs();
}

} // namespace cadrelle
