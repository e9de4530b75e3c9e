#include "CardRules.h"

#include <algorithm>
#include <cmath>

namespace cadrelle {

bool startsFileDrag(QPointF press, QPointF now) {
    const QPointF moved = now - press;
    return std::hypot(moved.x(), moved.y()) > 4.0;
}

bool startsStripDrag(QPointF translation) {
    return std::hypot(translation.x(), translation.y()) >= 12.0;
}

bool stripDragSaves(QPointF translation) {
    return translation.x() > 65.0 && std::abs(translation.y()) < translation.x();
}

double cardSwipeOffset(double swipe) {
    return std::min(swipe, 140.0);
}

double cardSwipeOpacity(double swipe) {
    return 1.0 - std::min(swipe / 300.0, 0.4);
}

QString hintText(bool editorOpened) {
    return editorOpened ? QStringLiteral("Save edits in your image editor, then swipe \u2192")
                        : QStringLiteral("Drag to share \u00B7 Swipe right to save");
}

QString saveToolTip(const std::string& destination) {
    return QStringLiteral("Save to ") + QString::fromStdString(destination);
}

bool finishMenuEnabled(bool editorOpened, std::size_t finishCount) {
    return !editorOpened && finishCount >= 2;
}

QString finishMenuToolTip(bool editorOpened) {
    return editorOpened ? QStringLiteral("Choose a bezel before editing to preserve annotations")
                        : QStringLiteral("Change bezel finish");
}

QString copyTitle(bool copied) {
    return copied ? QStringLiteral("Copied") : kCopyTitle;
}

} // namespace cadrelle
