#include "CapturePreview.h"

#include "FittedImage.h"
#include "LabelStyle.h"
#include "core/FileIO.h"
#include "model/AppModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

bool isRecording(const std::string& output) {
    const std::string extension = lowercaseExtension(output);
    return extension == "mp4" || extension == "mov";
}

QPushButton* button(const QString& text) {
    auto* made = new QPushButton(text);
    made->setAutoDefault(false);
    return made;
}

} // namespace

CapturePreview::CapturePreview(AppModel& model, bool offersPlay, QWidget* parent)
    : QWidget(parent), model_(model), offersPlay_(offersPlay), image_(new FittedImage),
      name_(new QLabel), caption_(new QLabel), play_(button(QStringLiteral("Play"))),
      copy_(button({})), reveal_(button(QStringLiteral("Show in File Manager"))) {
    name_->setAlignment(Qt::AlignCenter);
    name_->setTextFormat(Qt::PlainText);
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

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(12);
    layout->addWidget(image_, 1);
    layout->addWidget(name_);
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
    const bool recording = capture && isRecording(capture->output);
    image_->setVisible(capture && !recording);
    name_->setVisible(recording);
    caption_->setVisible(capture.has_value());
    play_->setVisible(recording && offersPlay_);
    copy_->setVisible(capture.has_value());
    reveal_->setVisible(capture.has_value());
    if (!capture) {
        image_->setPicture({});
        return;
    }
    // Recordings get their own player; until then their file name shows.
    const auto output = std::filesystem::path(capture->output);
    image_->setPicture(recording ? QPixmap() : QPixmap(QString::fromStdString(capture->output)));
    name_->setText(QString::fromStdString(output.filename().string()));
    caption_->setText(QString::fromStdString(capture->frame));
    copy_->setText(recording ? QStringLiteral("Copy Video") : QStringLiteral("Copy Image"));
}

} // namespace cadrelle
