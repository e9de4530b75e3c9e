#pragma once

#include "CardTransition.h"

#include <QRect>

namespace cadrelle {

// How long the panel's animations take; tests pass zero.
struct TrayDurations {
    int showMs = 250;
    int hideMs = 180;
    // Cards coming into and going out of the column.
    int cardsMs = kCardListChangeMs;
};

// One change of the panel: its rectangle and opacity go from the first
// values to the second over `durationMs`.
struct PanelStep {
    enum class Kind { none, show, resize, hide };
    Kind kind = Kind::none;
    QRect from;
    QRect to;
    double fromOpacity = 1;
    double toOpacity = 1;
    int durationMs = 0;
    // The refresh this step belongs to; a hide may only take the panel off
    // the screen while no later refresh has happened.
    int transition = 0;
};

// Decides how the panel is shown, resized and hidden on every refresh.
class TrayTransitions final {
public:
    explicit TrayTransitions(TrayDurations durations = {}) : durations_(durations) {}

    // A hidden panel slides in from 80 to the right and 20 below its place
    // while fading in; a visible one is made opaque at once and moves to its
    // new place; with no items a visible panel fades out moving 90 to the
    // right. With reduced motion nothing moves and nothing takes time.
    PanelStep refresh(bool hasItems, bool visible, const QRect& current, const QRect& target,
                      bool reduceMotion);

    // Whether a hide that began with `transition` may end by taking the
    // panel off the screen: not when a refresh came since.
    bool hideStillCurrent(int transition) const { return transition == transition_; }

private:
    TrayDurations durations_;
    int transition_ = 0;
};

} // namespace cadrelle
