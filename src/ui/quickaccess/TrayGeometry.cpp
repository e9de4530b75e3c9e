#include "TrayGeometry.h"

#include <algorithm>

namespace cadrelle {

QRect trayArea(const std::optional<QRect>& panelScreen, const std::vector<ScreenArea>& screens,
               QPoint pointer, const std::optional<QRect>& primary) {
    if (panelScreen) {
        return *panelScreen;
    }
    const auto underPointer =
        std::find_if(screens.begin(), screens.end(),
                     [&](const ScreenArea& s) { return s.geometry.contains(pointer); });
    if (underPointer != screens.end()) {
        return underPointer->available;
    }
    return primary.value_or(QRect(0, 0, 1000, 800));
}

QRect targetFrame(const QRect& area, const std::vector<bool>& cardErrors) {
    int content = 2 * kColumnPadding;
    for (const bool error : cardErrors) {
        content += error ? kCardHeightWithError : kCardHeight;
    }
    if (!cardErrors.empty()) {
        content += kCardSpacing * static_cast<int>(cardErrors.size() - 1);
    }
    const int height = std::max(1, std::min(content, area.height() - kTrayHeightGap));
    // QRect::right() and bottom() are the last pixel inside; the edges the
    // margins are measured from lie one further.
    const int x = area.x() + area.width() - kTrayWidth - kTrayMargin;
    const int y = area.y() + area.height() - kTrayMargin - height;
    return {x, y, kTrayWidth, height};
}

std::optional<std::string> hoveredCardID(bool panelVisible, const QRect& panelFrame, QPoint pointer,
                                         const std::map<std::string, QRect>& cardFrames) {
    if (!panelVisible || !panelFrame.contains(pointer)) {
        return std::nullopt;
    }
    const QPoint inPanel = pointer - panelFrame.topLeft();
    for (const auto& [id, frame] : cardFrames) {
        if (frame.contains(inPanel)) {
            return id;
        }
    }
    return std::nullopt;
}

} // namespace cadrelle
