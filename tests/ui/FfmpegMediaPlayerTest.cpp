#include "ui/FfmpegMediaPlayer.h"

#include "support/Mp4Maker.h"
#include "support/TempDir.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace cadrelle {
namespace {

constexpr int kRate = 30;
const QSize kSize(32, 24);

// A 2-second movie at 30 pictures per second whose picture N is a flat grey
// of 16 + 3·N, so a picture tells which one it is.
std::filesystem::path makeCountingMovie(const test::TempDir& dir) {
    const auto movie = dir / "counting.mp4";
    test::makeMp4(movie, {.width = kSize.width(),
                          .height = kSize.height(),
                          .frames = 2 * kRate,
                          .fps = kRate,
                          .counting = true});
    return movie;
}

// Which picture of the counting movie the player shows now.
int shownPicture(const MediaPlayer& player) {
    const QColor centre = player.frame(kSize).pixelColor(16, 12);
    return int(std::lround((centre.red() - 16) / 3.0));
}

// A clock the test moves by hand, in microseconds.
struct HandClock {
    std::shared_ptr<std::atomic<std::int64_t>> now = std::make_shared<std::atomic<std::int64_t>>(0);

    FfmpegPlayerOptions options() const {
        FfmpegPlayerOptions options;
        options.time = [now = now] { return now->load(); };
        options.sound = false;
        return options;
    }
    void advance(std::int64_t milliseconds) { *now += milliseconds * 1000; }
};

TEST(FfmpegMediaPlayer, ShowsTheFirstPicturePlaysPausesAndSeeks) {
    test::TempDir dir;
    const auto movie = makeCountingMovie(dir);
    HandClock clock;
    FfmpegMediaPlayer player(clock.options());
    QSignalSpy duration(&player, &MediaPlayer::durationChanged);
    QSignalSpy playing(&player, &MediaPlayer::playingChanged);
    player.load(QString::fromStdString(movie.string()));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !player.frameSize().isEmpty(); }, 10'000));
    EXPECT_EQ(player.frameSize(), kSize);
    EXPECT_EQ(shownPicture(player), 0);
    EXPECT_EQ(player.duration(), 2000);
    ASSERT_EQ(duration.size(), 1);
    EXPECT_FALSE(player.isPlaying()) << "never plays by itself";
    clock.advance(700);
    EXPECT_EQ(player.position(), 0);

    player.play();
    EXPECT_TRUE(player.isPlaying());
    clock.advance(500);
    // The clock may jump while the worker decodes ahead, which then leaves out
    // pictures it expects to be late; as the clock goes on, like a real one,
    // the picture whose time has come is shown.
    const auto due = [&] { return int(player.position() * kRate / 1000); };
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            if (shownPicture(player) == due()) {
                return true;
            }
            clock.advance(5);
            return false;
        },
        10'000))
        << "at " << player.position() << " ms shows picture " << shownPicture(player);
    EXPECT_GE(player.position(), 500);

    player.pause();
    EXPECT_FALSE(player.isPlaying());
    const qint64 pausedAt = player.position();
    clock.advance(1000);
    EXPECT_EQ(player.position(), pausedAt) << "paused, the time stands still";
    EXPECT_EQ((std::vector<bool>{playing[0][0].toBool(), playing[1][0].toBool()}),
              (std::vector<bool>{true, false}));

    player.setPosition(1500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownPicture(player) == 45; }, 10'000))
        << "seeking shows the picture at that time, not " << shownPicture(player);
    EXPECT_EQ(player.position(), 1500);
    EXPECT_FALSE(player.isPlaying());
}

// Decoding takes 100 ms of the clock per picture, three times a picture's
// length: the movie still ends on time, showing fewer pictures, in order.
TEST(FfmpegMediaPlayer, ADecoderSlowerThanTheClockSkipsPicturesButKeepsTime) {
    test::TempDir dir;
    const auto movie = makeCountingMovie(dir);
    HandClock clock;
    FfmpegPlayerOptions options = clock.options();
    options.afterDecode = [now = clock.now] { *now += 100'000; };
    FfmpegMediaPlayer player(options);
    player.load(QString::fromStdString(movie.string()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player.frameSize().isEmpty(); }, 10'000));

    std::vector<int> shown;
    QObject::connect(&player, &MediaPlayer::frameChanged, &player,
                     [&] { shown.push_back(shownPicture(player)); });
    QSignalSpy playing(&player, &MediaPlayer::playingChanged);
    player.play();
    // Besides the decoding, the clock goes on by itself, as a real one does:
    // after the last picture it still has to reach the movie's end.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            clock.advance(5);
            return !player.isPlaying();
        },
        20'000));
    EXPECT_EQ(player.position(), 2000) << "it ends at its own end";
    EXPECT_EQ(playing.size(), 2);
    ASSERT_GT(shown.size(), 5u);
    EXPECT_LT(shown.size(), std::size_t(kRate)) << "late pictures are skipped";
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_GE(shown.back(), 50) << "the last pictures are reached";

    // Played again, it starts from the beginning.
    player.play();
    EXPECT_EQ(player.position(), 0);
    EXPECT_TRUE(player.isPlaying());
}

} // namespace
} // namespace cadrelle
