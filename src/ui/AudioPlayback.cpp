#include "AudioPlayback.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

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

std::optional<AudioOutputFormat> AudioPlayback::outputFormat() {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        return std::nullopt;
    }
    const QAudioFormat preferred = device.preferredFormat();
    AudioOutputFormat format;
    format.sampleRate = preferred.sampleRate() > 0 ? preferred.sampleRate() : 48'000;
    format.channels = std::clamp(preferred.channelCount(), 1, 2);
    format.format =
        preferred.sampleFormat() == QAudioFormat::Float ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_S16;
    if (!device.isFormatSupported(qtFormat(format))) {
        return std::nullopt;
    }
    return format;
}

AudioPlayback::AudioPlayback(AudioOutputFormat format)
    : format_(format), sink_(std::make_unique<QAudioSink>(qtFormat(format))) {}

AudioPlayback::~AudioPlayback() {
    sink_->stop();
}

void AudioPlayback::add(AudioChunk chunk) {
    pending_.push_back(std::move(chunk));
}

void AudioPlayback::play() {
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
    sink_->stop();
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
    if (!base_ || sink_->state() != QAudio::ActiveState) {
        return std::nullopt;
    }
    return *base_ + sink_->processedUSecs();
}

} // namespace cadrelle
