#pragma once

#include <QPoint>
#include <QRect>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// Where the Quick Access panel sits and which card the pointer is over.
// Rectangles are in Qt's global coordinates (y downwards).

inline constexpr int kTrayWidth = 304;
inline constexpr int kTrayMargin = 12;    // from the right and bottom edges
inline constexpr int kTrayHeightGap = 24; // kept free of the available height
inline constexpr int kCardWidth = 272;
inline constexpr int kCardHeight = 240;
inline constexpr int kCardHeightWithError = 282;
inline constexpr int kCardSpacing = 12;
inline constexpr int kColumnPadding = 16;
inline constexpr double kCardCornerRadius = 12;

// A screen's whole rectangle and the part windows may use (without panels
// and docks).
struct ScreenArea {
    QRect geometry;
    QRect available;
};

// The area the panel is placed in: the panel's own screen while it is
// visible, else the first screen under the pointer, else the primary
// screen, else 0, 0, 1000 × 800.
QRect trayArea(const std::optional<QRect>& panelScreen, const std::vector<ScreenArea>& screens,
               QPoint pointer, const std::optional<QRect>& primary);

// The height the column of cards needs: the cards (top to bottom) with the
// spacing between them and the padding around them.
int columnContentHeight(const std::vector<int>& cardHeights);

// Where the cards sit in a column area of this size while nothing moves:
// centred across, spaced and padded as above, and at the bottom of the area
// while they need less than its height. Top to bottom.
std::vector<QRect> columnCardRects(const std::vector<int>& cardHeights, QSize area);

// The panel's rectangle for cards with these error flags (one per card):
// 304 wide, as tall as its cards with their spacing and padding but no
// taller than the area less 24 and at least 1, 12 from the area's right and
// bottom edges, so it grows upwards.
QRect targetFrame(const QRect& area, const std::vector<bool>& cardErrors);

// The id of the first card whose rectangle (panel coordinates) holds the
// pointer; none when the panel is hidden, the pointer is outside the panel or
// over a gap between cards.
std::optional<std::string> hoveredCardID(bool panelVisible, const QRect& panelFrame, QPoint pointer,
                                         const std::map<std::string, QRect>& cardFrames);

} // namespace cadrelle
