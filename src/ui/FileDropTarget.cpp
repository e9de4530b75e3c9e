#include "FileDropTarget.h"

#include "capture/CaptureCandidates.h"

#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

namespace cadrelle {
namespace {

constexpr qreal kOutlineWidth = 3.0;
constexpr qreal kCornerRadius = 10.0;

} // namespace

std::vector<std::filesystem::path> droppedFiles(const QMimeData& data) {
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile() && !isFramedOutputName(url.fileName().toStdString())) {
            files.emplace_back(url.toLocalFile().toStdString());
        }
    }
    return files;
}

FileDropTarget::FileDropTarget(QWidget& target, Take take)
    : QWidget(&target), target_(target), take_(std::move(take)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
    target_.setAcceptDrops(true);
    target_.installEventFilter(this);
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &target_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (droppedFiles(*enter->mimeData()).empty()) {
            return false;
        }
        enter->acceptProposedAction();
        setGeometry(target_.rect());
        raise();
        show();
        return true;
    }
    case QEvent::DragMove:
        if (!isVisible()) {
            return false;
        }
        static_cast<QDragMoveEvent*>(event)->acceptProposedAction();
        return true;
    case QEvent::DragLeave:
        hide();
        return false;
    case QEvent::Drop: {
        hide();
        auto* drop = static_cast<QDropEvent*>(event);
        const auto files = droppedFiles(*drop->mimeData());
        if (!files.empty() && take_(files)) {
            drop->acceptProposedAction();
        } else {
            drop->ignore();
        }
        return true;
    }
    default:
        return false;
    }
}

void FileDropTarget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Highlight), kOutlineWidth);
    painter.setPen(pen);
    const qreal half = kOutlineWidth / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), kCornerRadius,
                            kCornerRadius);
}

} // namespace cadrelle
