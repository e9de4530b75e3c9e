#pragma once

#include "MovieReader.h"

#include <QByteArray>

#include <deque>
#include <memory>
#include <optional>

class QAudioSink;
class QIODevice;

namespace cadrelle {

// Plays a movie's decoded sound on the system's default audio output, in
// the order it is added, and tells how far it has played. The output is
// opened when playing first starts: until then the system's sound server is
// not contacted (it may not run, and its library complains on standard
// error when it doesn't). Without an output nothing plays and no position
// is known.
class AudioPlayback final {
public:
    // Sound is decoded to the default AudioOutputFormat, which every sound
    // server takes (converting it where its device wants another).
    AudioPlayback();
    ~AudioPlayback();
    AudioPlayback(const AudioPlayback&) = delete;
    AudioPlayback& operator=(const AudioPlayback&) = delete;

    void add(AudioChunk chunk);
    // Starts or resumes playing what was added, opening the output the
    // first time.
    void play();
    void pause();
    // Drops everything added and played so far (before a seek).
    void clear();
    // Hands the output what it has room for; called often while playing.
    void feed();
    // The movie time the output is playing now, while it plays sound.
    std::optional<std::int64_t> position() const;

private:
    AudioOutputFormat format_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* device_ = nullptr;
    std::deque<AudioChunk> pending_;
    std::size_t offset_ = 0;
    // The movie time of the first sound written since the output started.
    std::optional<std::int64_t> base_;
};

} // namespace cadrelle
