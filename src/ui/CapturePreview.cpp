#include "CapturePreview.h"

#include "FittedImage.h"
#include "LabelStyle.h"
#include "PictureLoader.h"
#include "RecordingPreview.h"
#include "capture/CaptureNaming.h"
#include "core/FileIO.h"
#include "model/AppModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

QPushButton* button(const QString& text) {
    auto* made = new QPushButton(text);
    made->setAutoDefault(false);
    return made;
}

MediaPlayerFactory orModulePlayer(MediaPlayerFactory makePlayer) {
    return makePlayer ? std::move(makePlayer) : MediaPlayerFactory(&makeMediaPlayer);
}

} // namespace

CapturePreview::CapturePreview(AppModel& model, bool offersPlay, MediaPlayerFactory makePlayer,
                               QWidget* parent)
    : QWidget(parent), model_(model), offersPlay_(offersPlay),
      makePlayer_(orModulePlayer(std::move(makePlayer))), media_(new QVBoxLayout),
      image_(new FittedImage), caption_(new QLabel), play_(button(QStringLiteral("Play"))),
      copy_(button({})), reveal_(button(QStringLiteral("Show in File Manager"))),
      pictures_(PictureLoader::shared()) {
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setTextFormat(Qt::PlainText);
    setFontPoints(*caption_, 11);
    setSecondary(*caption_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(play_);
    buttons->addWidget(copy_);
    buttons->addWidget(reveal_);
    buttons->addStretch(1);

    media_->setContentsMargins(0, 0, 0, 0);
    media_->addWidget(image_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(12);
    layout->addLayout(media_, 1);
    layout->addWidget(caption_);
    layout->addLayout(buttons);

    connect(play_, &QPushButton::clicked, &model_, &AppModel::openCapture);
    connect(copy_, &QPushButton::clicked, &model_, &AppModel::copyCapture);
    connect(reveal_, &QPushButton::clicked, &model_, &AppModel::revealCapture);
    connect(&model_, &AppModel::capturesChanged, this, &CapturePreview::refresh);
    connect(&model_, &AppModel::selectedCaptureIDChanged, this, &CapturePreview::refresh);
    refresh();
}

void CapturePreview::refresh() {
    const auto capture = model_.selectedCapture();
    const bool recording = capture && isFramedVideo(capture->output);
    image_->setVisible(capture && !recording);
    caption_->setVisible(capture.has_value());
    play_->setVisible(recording && offersPlay_);
    copy_->setVisible(capture.has_value());
    reveal_->setVisible(capture.has_value());
    showRecording(recording ? QString::fromStdString(capture->output) : QString());
    if (!capture || recording) {
        ++pictureRequest_;
        image_->setPicture({});
    } else {
        showPicture(capture->output);
    }
    if (!capture) {
        return;
    }
    caption_->setText(QString::fromStdString(capture->frame));
    copy_->setText(recording ? QStringLiteral("Copy Video") : QStringLiteral("Copy Image"));
}

void CapturePreview::showPicture(const std::string& file) {
    // The preview is never larger than the screen it is on. The picture is
    // kept at a ratio of 1: the label fits it to its own size in pixels.
    const QScreen* const shown = screen();
    const QSize bounds =
        shown != nullptr ? shown->availableSize() * shown->devicePixelRatio() : QSize(2048, 2048);
    const std::uint64_t request = ++pictureRequest_;
    const QPointer<CapturePreview> self(this);
    pictures_->load({file, bounds, 1.0, std::nullopt}, [self, request](LoadedPicture loaded) {
        if (!self || self->pictureRequest_ != request) {
            return;
        }
        self->image_->setPicture(QPixmap::fromImage(std::move(loaded.image)));
        emit self->pictureLoaded();
    });
}

// The same file keeps its player and where it stands; another file, or none,
// ends the old preview, whose player pauses as it goes.
void CapturePreview::showRecording(const QString& path) {
    if (recording_ && recording_->path() == path) {
        return;
    }
    delete recording_;
    recording_ = nullptr;
    if (!path.isEmpty()) {
        recording_ = new RecordingPreview(path, makePlayer_());
        media_->addWidget(recording_);
        // Shown now rather than on the layout's next turn, so that hiding the
        // preview at once still reaches it.
        recording_->show();
    }
}

} // namespace cadrelle
