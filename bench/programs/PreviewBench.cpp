// Plays one movie in the recording preview, at the size it has in the
// preview window, and reports how soon its first picture shows and how many
// pictures reach the screen while it plays.
//   preview-bench MOVIE FRAMES_PER_SECOND
#include "playback/FfmpegMediaPlayer.h"
#include "ui/RecordingPreview.h"
#include "ui/VideoView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// Counts the paints of the picture that show a picture not shown before.
class PresentedFrames final : public QObject {
public:
    PresentedFrames(cadrelle::VideoView& view, const QElapsedTimer& clock,
                    std::function<void()> onFirst)
        : clock_(clock), onFirst_(std::move(onFirst)) {
        view.installEventFilter(this);
    }

    int count() const { return count_; }
    qint64 firstAt() const { return firstAt_; }
    // A new picture has come: the next paint presents it.
    void arrived() { fresh_ = true; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && fresh_) {
            fresh_ = false;
            ++count_;
            if (firstAt_ < 0) {
                firstAt_ = clock_.elapsed();
                // Played from the event loop, once this paint is done.
                QTimer::singleShot(0, this, onFirst_);
            }
        }
        return false;
    }

private:
    const QElapsedTimer& clock_;
    std::function<void()> onFirst_;
    qint64 firstAt_ = -1;
    bool fresh_ = false;
    int count_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: preview-bench MOVIE FRAMES_PER_SECOND\n");
        return 2;
    }
    const double rate = std::atof(argv[2]);

    // The preview window's 570 × 720 with the capture preview's margins of 24.
    QWidget window;
    window.resize(570, 720);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(24, 24, 24, 24);
    auto owned = std::make_unique<cadrelle::FfmpegMediaPlayer>();
    cadrelle::MediaPlayer& player = *owned;
    QElapsedTimer clock;
    clock.start();
    auto* preview =
        new cadrelle::RecordingPreview(QString::fromLocal8Bit(argv[1]), std::move(owned));
    layout->addWidget(preview);
    auto* view = preview->findChild<cadrelle::VideoView*>();
    int delivered = 0;
    int presentedBeforePlay = 0;
    qint64 playStart = -1;
    qint64 playEnd = -1;
    PresentedFrames presented(*view, clock, [&] {
        presentedBeforePlay = presented.count();
        playStart = clock.elapsed();
        player.play();
    });
    QObject::connect(&player, &cadrelle::MediaPlayer::frameChanged, &window, [&] {
        delivered += playStart >= 0 ? 1 : 0;
        presented.arrived();
    });
    QObject::connect(&player, &cadrelle::MediaPlayer::playingChanged, &window, [&](bool playing) {
        if (!playing && playStart >= 0) {
            playEnd = clock.elapsed();
            application.quit();
        }
    });
    window.show();
    QTimer::singleShot(120'000, &application, [&] { application.exit(1); });
    if (application.exec() != 0) {
        std::fprintf(stderr, "the movie did not play to its end\n");
        return 1;
    }

    const double seconds = (playEnd - playStart) / 1000.0;
    const int shown = presented.count() - presentedBeforePlay;
    const int expected = static_cast<int>(std::lround(player.duration() / 1000.0 * rate));
    std::printf("first_frame_ms %lld\n", static_cast<long long>(presented.firstAt()));
    std::printf("movie_frames %d\n", expected);
    std::printf("delivered_frames %d\n", delivered);
    std::printf("presented_frames %d\n", shown);
    std::printf("playback_seconds %.2f\n", seconds);
    std::printf("presented_fps %.1f\n", shown / seconds);
    std::printf("dropped_frames %d\n", std::max(0, expected - shown));
    return 0;
}
