#pragma once

#include <QPixmap>

#include <map>
#include <utility>

class QPainter;
class QRect;

namespace cadrelle {

// The soft black shadow under a card, painted by the widget behind the cards.
// A graphics effect on the card would do the same, but Qt cannot nest
// graphics effects, and the card needs its one effect for fading.
class CardShadow final {
public:
    // Paints the shadow of a card at `card` (the painter's coordinates),
    // as transparent as the card. Where the card is translucent the shadow
    // is left out under it, so that the card does not darken.
    void paint(QPainter& painter, const QRect& card, double opacity);

private:
    const QPixmap& shape(int width, int height);

    // One blurred shape per card size: cards have two heights.
    std::map<std::pair<int, int>, QPixmap> shapes_;
};

} // namespace cadrelle
