#include "RecordingPreview.h"

#include "LabelStyle.h"
#include "SeekSlider.h"
#include "UiIcons.h"
#include "VideoView.h"
#include "capture/CaptureNaming.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

QString minutesAndSeconds(qint64 milliseconds) {
    const qint64 seconds = std::max<qint64>(milliseconds, 0) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

bool mayBeTransparent(const QString& path) {
    return mayBeTransparentVideo(path.toStdString());
}

} // namespace

QString playbackTimeText(qint64 position, qint64 duration) {
    return minutesAndSeconds(position) + QStringLiteral(" / ") + minutesAndSeconds(duration);
}

RecordingPreview::RecordingPreview(const QString& path, std::unique_ptr<MediaPlayer> player,
                                   QWidget* parent)
    : QWidget(parent), path_(path), player_(std::move(player)),
      view_(new VideoView(*player_, mayBeTransparent(path))), failure_(new QWidget),
      reason_(wrappedLabel({})), playPause_(new QToolButton), slider_(new SeekSlider),
      time_(new QLabel) {
    playPause_->setAutoRaise(true);
    time_->setTextFormat(Qt::PlainText);

    auto* headline = wrappedLabel(QStringLiteral("This recording can't be played."));
    headline->setObjectName(QStringLiteral("failure"));
    reason_->setObjectName(QStringLiteral("failureReason"));
    setSecondary(*reason_);
    auto* failureLayout = new QVBoxLayout(failure_);
    failureLayout->addStretch();
    for (QLabel* label : {headline, reason_}) {
        label->setAlignment(Qt::AlignCenter);
        failureLayout->addWidget(label);
    }
    failureLayout->addStretch();
    failure_->hide();

    auto* controls = new QHBoxLayout;
    controls->addWidget(playPause_);
    controls->addWidget(slider_, 1);
    controls->addWidget(time_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_, 1);
    layout->addWidget(failure_, 1);
    layout->addLayout(controls);

    connect(player_.get(), &MediaPlayer::playingChanged, this, &RecordingPreview::showPlaying);
    connect(player_.get(), &MediaPlayer::positionChanged, this, &RecordingPreview::showTime);
    connect(player_.get(), &MediaPlayer::durationChanged, this, &RecordingPreview::showTime);
    connect(player_.get(), &MediaPlayer::failed, this, &RecordingPreview::showFailure);
    connect(playPause_, &QToolButton::clicked, this, [this] {
        if (player_->isPlaying()) {
            player_->pause();
        } else {
            player_->play();
        }
    });
    // Drags, clicks on the bar and keys all seek.
    connect(slider_, &QSlider::actionTriggered, this,
            [this] { player_->setPosition(slider_->sliderPosition()); });

    showPlaying(false);
    showTime();
    player_->load(path_);
}

RecordingPreview::~RecordingPreview() {
    player_->pause();
}

void RecordingPreview::hideEvent(QHideEvent* event) {
    player_->pause();
    QWidget::hideEvent(event);
}

void RecordingPreview::showPlaying(bool playing) {
    // Named after the recording, so that it is not taken for the "Play"
    // button beside the latest capture, which opens the file elsewhere.
    const QString action =
        playing ? QStringLiteral("Pause Recording") : QStringLiteral("Play Recording");
    playPause_->setIcon(playing ? pauseIcon() : playIcon());
    playPause_->setToolTip(action);
    playPause_->setAccessibleName(action);
}

void RecordingPreview::showFailure(const QString& reason) {
    view_->hide();
    failure_->show();
    reason_->setText(reason);
    reason_->setVisible(!reason.isEmpty());
    playPause_->setEnabled(false);
    slider_->setEnabled(false);
    time_->setEnabled(false);
}

void RecordingPreview::showTime() {
    const qint64 duration = player_->duration();
    slider_->setRange(0, static_cast<int>(duration));
    // Leave the knob where the user holds it.
    if (!slider_->isSliderDown()) {
        slider_->setValue(static_cast<int>(player_->position()));
    }
    time_->setText(playbackTimeText(player_->position(), duration));
}

} // namespace cadrelle
