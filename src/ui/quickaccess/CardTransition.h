#pragma once

#include <QEasingCurve>

namespace cadrelle {

// How a card is drawn over its place in the column: moved right by
// `offsetX`, down by `offsetY`, and with this opacity.
struct CardPose {
    double offsetX = 0;
    double offsetY = 0;
    double opacity = 1;

    friend bool operator==(const CardPose&, const CardPose&) = default;
};

// A card's way from one pose to another while the column changes.
struct CardTransition {
    CardPose from;
    CardPose to;

    // A new card slides in from `distance` to the right (beyond the column's
    // right edge) while it fades in; with reduced motion it only fades in.
    static CardTransition entering(double distance, bool reduceMotion);
    // A removed card slides out by `distance` to the right while it fades
    // out; with reduced motion it only fades out.
    static CardTransition leaving(double distance, bool reduceMotion);
    // A card that stays goes from where it is drawn now (`now`, its new place
    // being `down` below that) to its new place, fully opaque; with reduced
    // motion it is at its new place at once, only a fade still finishes.
    static CardTransition staying(CardPose now, double down, bool reduceMotion);

    // The pose after `progress` (0 to 1) of the way.
    CardPose at(double progress) const;
};

// How long a change of the column's cards takes: the time the spring below
// needs to come within 0.1 % of its end.
inline constexpr int kCardListChangeMs = 400;

// The easing of a change of the column's cards: a slightly underdamped spring
// (response 0.32 s, damping fraction 0.88) as the platform's spring
// animation defines it, sampled over kCardListChangeMs and scaled to end
// exactly at 1. With this damping it overshoots by 0.3 % at most.
QEasingCurve cardListCurve();

} // namespace cadrelle
