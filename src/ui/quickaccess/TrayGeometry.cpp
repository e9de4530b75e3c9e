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

int columnContentHeight(const std::vector<int>& cardHeights) {
    int content = 2 * kColumnPadding;
    for (const int height : cardHeights) {
        content += height;
    }
    if (!cardHeights.empty()) {
        content += kCardSpacing * static_cast<int>(cardHeights.size() - 1);
    }
    return content;
}

std::vector<QRect> columnCardRects(const std::vector<int>& cardHeights, QSize area) {
    const int x = (area.width() - kCardWidth) / 2;
    int y =
        std::max(kColumnPadding, area.height() - columnContentHeight(cardHeights) + kColumnPadding);
    std::vector<QRect> rects;
    for (const int height : cardHeights) {
        rects.emplace_back(x, y, kCardWidth, height);
        y += height + kCardSpacing;
    }
    return rects;
}

QRect targetFrame(const QRect& area, const std::vector<bool>& cardErrors) {
    std::vector<int> heights;
    for (const bool error : cardErrors) {
        heights.push_back(error ? kCardHeightWithError : kCardHeight);
    }
    const int content = columnContentHeight(heights);
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
