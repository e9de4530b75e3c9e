#include "CapturePreview.h"

#include "FittedImage.h"
#include "LabelStyle.h"
#include "model/AppModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

bool isRecording(const std::string& output) {
    const QString extension =
        QString::fromStdString(std::filesystem::path(output).extension().string()).toLower();
    return extension == QStringLiteral(".mp4") || extension == QStringLiteral(".mov");
}

} // namespace

CapturePreview::CapturePreview(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), image_(new FittedImage), caption_(new QLabel),
      copy_(new QPushButton) {
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setTextFormat(Qt::PlainText);
    setFontPoints(*caption_, 11);
    setSecondary(*caption_);
    copy_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy_);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(12);
    layout->addWidget(image_, 1);
    layout->addWidget(caption_);
    layout->addLayout(buttons);

    connect(copy_, &QPushButton::clicked, &model_, &AppModel::copyCapture);
    connect(&model_, &AppModel::capturesChanged, this, &CapturePreview::refresh);
    connect(&model_, &AppModel::selectedCaptureIDChanged, this, &CapturePreview::refresh);
    refresh();
}

void CapturePreview::refresh() {
    const auto capture = model_.selectedCapture();
    image_->setVisible(capture.has_value());
    caption_->setVisible(capture.has_value());
    copy_->setVisible(capture.has_value());
    if (!capture) {
        image_->setPicture({});
        return;
    }
    const bool recording = isRecording(capture->output);
    // Recordings get their own player; until then only their frame shows.
    image_->setPicture(recording ? QPixmap() : QPixmap(QString::fromStdString(capture->output)));
    caption_->setText(QString::fromStdString(capture->frame));
    copy_->setText(recording ? QStringLiteral("Copy Video") : QStringLiteral("Copy Image"));
}

} // namespace cadrelle
