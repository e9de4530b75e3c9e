#include "ui/RecordingPreview.h"
#include "model/ModelFixture.h"
#include "support/Mp4Maker.h"
#include "support/VideoTestSupport.h"
#include "ui/CapturePreview.h"
#include "ui/VideoView.h"
#include "video/RenderVideo.h"

#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <fstream>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

// Every call a fake player gets, as "<player number> <call>", kept beyond
// the player's life.
struct PlayerLog {
    std::vector<std::string> calls;
    int made = 0;
};

class FakePlayer final : public MediaPlayer {
public:
    explicit FakePlayer(std::shared_ptr<PlayerLog> log) : log_(std::move(log)), id_(++log_->made) {}

    void load(const QString& path) override {
        record("load " + std::filesystem::path(path.toStdString()).filename().string());
    }
    void play() override {
        record("play");
        setPlaying(true);
    }
    void pause() override {
        record("pause");
        setPlaying(false);
    }
    void setPosition(qint64 position) override {
        position_ = position;
        emit positionChanged(position);
    }
    qint64 position() const override { return position_; }
    qint64 duration() const override { return duration_; }
    bool isPlaying() const override { return playing_; }
    QSize frameSize() const override { return picture_.size(); }
    QImage frame(QSize size) const override { return picture_.scaled(size); }

    void show(const QImage& picture) {
        picture_ = picture;
        emit frameChanged();
    }

    void setDuration(qint64 duration) {
        duration_ = duration;
        emit durationChanged(duration);
    }

private:
    void record(const std::string& call) {
        log_->calls.push_back(std::to_string(id_) + " " + call);
    }
    void setPlaying(bool playing) {
        playing_ = playing;
        emit playingChanged(playing);
    }

    std::shared_ptr<PlayerLog> log_;
    int id_;
    qint64 position_ = 0;
    qint64 duration_ = 0;
    bool playing_ = false;
    QImage picture_;
};

using Calls = std::vector<std::string>;

TEST(RecordingPreview, ControlsShowTheTimeAndDriveThePlayer) {
    EXPECT_EQ(playbackTimeText(0, 0), u"0:00 / 0:00"_s);
    EXPECT_EQ(playbackTimeText(59'999, 61'000), u"0:59 / 1:01"_s);
    EXPECT_EQ(playbackTimeText(600'000, 3'599'000), u"10:00 / 59:59"_s);

    auto log = std::make_shared<PlayerLog>();
    auto owned = std::make_unique<FakePlayer>(log);
    FakePlayer& player = *owned;
    RecordingPreview preview(u"/tmp/clip.MOV"_s, std::move(owned));
    preview.resize(300, 400);
    preview.show();
    auto* button = preview.findChild<QToolButton*>();
    auto* slider = preview.findChild<QSlider*>();
    auto* time = preview.findChild<QLabel*>();
    ASSERT_TRUE(button && slider && time);
    EXPECT_EQ(log->calls, Calls{"1 load clip.MOV"}) << "loaded, never started by itself";
    EXPECT_EQ(button->accessibleName(), u"Play Recording"_s);

    player.setDuration(75'000);
    player.setPosition(12'500);
    EXPECT_EQ(time->text(), u"0:12 / 1:15"_s);
    EXPECT_EQ(slider->maximum(), 75'000);
    EXPECT_EQ(slider->value(), 12'500);
    slider->triggerAction(QSlider::SliderToMaximum);
    EXPECT_EQ(player.position(), 75'000) << "the slider seeks";

    button->click();
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(button->accessibleName(), u"Pause Recording"_s);
    button->click();
    EXPECT_FALSE(player.isPlaying());
    button->click();
    log->calls.clear();
    preview.hide();
    EXPECT_EQ(log->calls, Calls{"1 pause"}) << "hiding pauses";
    EXPECT_EQ(button->accessibleName(), u"Play Recording"_s);

    // The picture keeps its proportions, centred; a MOV's transparent
    // pixels show the checkerboard, an MP4's do not.
    preview.show();
    QImage tall(100, 200, QImage::Format_ARGB32_Premultiplied);
    tall.fill(Qt::transparent);
    player.show(tall);
    auto* view = preview.findChild<VideoView*>();
    const QRect picture = view->pictureRect();
    EXPECT_EQ(picture.height(), view->height());
    EXPECT_EQ(picture.width(), view->height() / 2);
    EXPECT_NEAR(picture.center().x(), view->rect().center().x(), 1);
    EXPECT_EQ(view->grab().toImage().pixelColor(picture.topLeft()), QColor(191, 191, 191));

    auto opaqueOwned = std::make_unique<FakePlayer>(log);
    FakePlayer& opaquePlayer = *opaqueOwned;
    RecordingPreview opaque(u"/tmp/clip.mp4"_s, std::move(opaqueOwned));
    opaque.resize(300, 400);
    opaque.show();
    opaquePlayer.show(tall);
    auto* opaqueView = opaque.findChild<VideoView*>();
    EXPECT_NE(opaqueView->grab().toImage().pixelColor(opaqueView->pictureRect().topLeft()),
              QColor(191, 191, 191));
}

TEST(RecordingPreview, AClickOnThePositionBarSeeksThereAndTheKnobCanBeDraggedOn) {
    auto owned = std::make_unique<FakePlayer>(std::make_shared<PlayerLog>());
    FakePlayer& player = *owned;
    RecordingPreview preview(u"/tmp/clip.mp4"_s, std::move(owned));
    preview.resize(400, 300);
    preview.show();
    player.setDuration(60'000);
    auto* slider = preview.findChild<QSlider*>();
    ASSERT_NE(slider, nullptr);

    // Three quarters along the bar: about 45 s, however wide the knob is.
    const int y = slider->height() / 2;
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, y));
    EXPECT_NEAR(player.position(), 45'000, 3'000);
    EXPECT_TRUE(slider->isSliderDown()) << "the same press holds the knob";
    QTest::mouseMove(slider, QPoint(slider->width() / 4, y));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(slider->width() / 4, y));
    EXPECT_NEAR(player.position(), 15'000, 3'000) << "dragged back to a quarter";

    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 1, y));
    EXPECT_EQ(player.position(), 60'000) << "the end of the bar is the end of the recording";
}

using CapturePreviewPlayers = test::ModelFixture;

TEST_F(CapturePreviewPlayers, EachRecordingGetsItsOwnPlayerAndTheOldOnePauses) {
    auto log = std::make_shared<PlayerLog>();
    auto model = makeModel();
    CapturePreview preview(*model, false, [log] { return std::make_unique<FakePlayer>(log); });
    preview.resize(400, 500);
    preview.show();
    model->remember({"id-1", 0, (input / "a.mp4").string(), (output / "a.mp4").string(), "Phone"});
    EXPECT_EQ(log->calls, Calls{"1 load a.mp4"});
    ASSERT_NE(preview.findChild<RecordingPreview*>(), nullptr);

    preview.findChild<QToolButton*>()->click();
    model->remember({"id-2", 0, (input / "b.mp4").string(), (output / "b.MOV").string(), "Phone"});
    EXPECT_EQ(log->calls, (Calls{"1 load a.mp4", "1 play", "1 pause", "2 load b.MOV"}));
    EXPECT_EQ(preview.findChildren<RecordingPreview*>().size(), 1);

    emit model->capturesChanged();
    EXPECT_EQ(log->made, 2) << "the same file keeps its player";
    model->setSelectedCaptureID("id-1");
    EXPECT_EQ(log->calls.back(), "3 load a.mp4");
    log->calls.clear();
    preview.hide();
    EXPECT_EQ(log->calls, Calls{"3 pause"}) << "closing the window pauses";

    const auto shot = output / "shot.png";
    test::writeScreenshot(shot, 40, 80);
    preview.show();
    model->remember({"id-3", 0, (input / "shot.png").string(), shot.string(), "Phone"});
    EXPECT_EQ(preview.findChild<RecordingPreview*>(), nullptr) << "a screenshot needs no player";
}

// The real player on a real ProRes 4444 movie: its first picture arrives
// without playing, and the transparent corner outside the device shows the
// checkerboard.
TEST(RecordingPreview, ShowsTheFirstPictureOfATransparentMovieOverTheCheckerboard) {
    test::TempDir dir;
    const auto recording = dir / "clip.mp4";
    test::Mp4Spec spec;
    spec.frames = 15;
    test::makeMp4(recording, spec);
    const auto movie = dir / "clip-framed.mov";
    CaptureExportControl control;
    renderVideo(recording, movie, test::makeTestFrame(), control, VideoExportFormat::proRes4444,
                {});

    std::unique_ptr<MediaPlayer> owned = makeMediaPlayer();
    MediaPlayer& player = *owned;
    RecordingPreview preview(QString::fromStdString(movie.string()), std::move(owned));
    preview.resize(200, 300);
    preview.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player.frameSize().isEmpty(); }, 10'000));
    EXPECT_FALSE(player.isPlaying());
    ASSERT_EQ(player.frameSize(), QSize(82, 114));
    const QImage first = player.frame(player.frameSize());
    EXPECT_EQ(first.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(first.pixelColor(41, 57).alpha(), 255);
    EXPECT_EQ(player.frame({41, 57}).pixelColor(0, 0).alpha(), 0) << "scaled down too";
    auto* view = preview.findChild<VideoView*>();

    const QImage shown = view->grab().toImage();
    const QColor corner = shown.pixelColor(view->pictureRect().topLeft() + QPoint(1, 1));
    EXPECT_EQ(corner, QColor(191, 191, 191));
}

// A damaged file with the real player: the preview says it can't be played,
// with the player's reason below, and nothing can be pressed.
TEST(RecordingPreview, SaysWhenARecordingCannotBePlayed) {
    test::TempDir dir;
    const auto damaged = dir / "damaged.mov";
    // A QuickTime header, then nothing readable.
    std::ofstream(damaged, std::ios::binary) << std::string("\0\0\0\x14"
                                                            "ftypqt  \0\0\0\0qt  ",
                                                            20)
                                             << std::string(4096, '\xff');

    RecordingPreview preview(QString::fromStdString(damaged.string()), makeMediaPlayer());
    preview.resize(200, 300);
    preview.show();
    auto* failure = preview.findChild<QLabel*>(u"failure"_s);
    auto* reason = preview.findChild<QLabel*>(u"failureReason"_s);
    ASSERT_TRUE(failure && reason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failure->isVisible(); }, 10'000));
    EXPECT_EQ(failure->text(), u"This recording can't be played."_s);
    EXPECT_TRUE(reason->isVisible());
    EXPECT_EQ(reason->text(), u"Invalid data found when processing input."_s);
    EXPECT_FALSE(preview.findChild<VideoView*>()->isVisible());
    EXPECT_FALSE(preview.findChild<QToolButton*>()->isEnabled());
    EXPECT_FALSE(preview.findChild<QSlider*>()->isEnabled());
}

} // namespace
} // namespace cadrelle
