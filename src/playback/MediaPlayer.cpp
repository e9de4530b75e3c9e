#include "MediaPlayer.h"

#include "PlaybackEngine.h"
#include "core/ProgramModule.h"

#include <string>

// Programs that build the engine in define this; in the others it stays null.
extern "C" __attribute__((weak)) const cadrelle::PlaybackEngine* cadrelle_playback_engine();

namespace cadrelle {
namespace {

// Stands in for the player when the playback module can't be loaded: the
// preview shows that the recording can't be played, and why.
class UnavailablePlayer final : public MediaPlayer {
public:
    explicit UnavailablePlayer(QString reason) : reason_(std::move(reason)) {}

    void load(const QString&) override { emit failed(reason_); }
    void play() override {}
    void pause() override {}
    void setPosition(qint64) override {}
    qint64 position() const override { return 0; }
    qint64 duration() const override { return 0; }
    bool isPlaying() const override { return false; }
    QSize frameSize() const override { return {}; }
    QImage frame(QSize) const override { return {}; }

private:
    const QString reason_;
};

} // namespace

std::unique_ptr<MediaPlayer> makeMediaPlayer() {
    if (&cadrelle_playback_engine != nullptr) {
        return cadrelle_playback_engine()->makePlayer();
    }
    // Only the main thread makes players; a failed load is tried again by
    // the next preview.
    static const PlaybackEngine* loaded = nullptr;
    if (loaded == nullptr) {
        std::string reason;
        using Entry = const PlaybackEngine* (*)();
        const auto entry = reinterpret_cast<Entry>(
            ProgramModule::entry("libcadrelle-playback.so", "cadrelle_playback_engine", reason));
        if (entry == nullptr) {
            return std::make_unique<UnavailablePlayer>(
                QStringLiteral("Cadrelle's playback support couldn't be loaded: ") +
                QString::fromStdString(reason));
        }
        loaded = entry();
    }
    return loaded->makePlayer();
}

} // namespace cadrelle
