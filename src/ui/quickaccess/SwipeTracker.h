#pragma once

namespace cadrelle {

// One two-finger scroll event over a card's image. `dx` is positive when the
// fingers move right, whatever the user's scrolling direction.
struct SwipeInput {
    enum class Phase { none, began, changed, ended, cancelled, momentum };
    double dx = 0;
    double dy = 0;
    // Pixel-precise deltas (a touchpad), not the notches of a mouse wheel.
    bool precise = true;
    Phase phase = Phase::changed;
};

// What the image does with an event.
struct SwipeOutput {
    // False for mostly vertical scrolling, which belongs to the card column.
    bool consumed = false;
    // How far the card follows the fingers now, when that changed.
    bool moved = false;
    double offset = 0;
    // The swipe ended far enough to the right: save the screenshot.
    bool save = false;
};

// Turns rightward two-finger swipes into saves. Rightward movement adds up,
// leftward movement takes it back (never below 0); a swipe that ends beyond
// 65 saves, a cancelled one never does. Momentum after the fingers lift and
// the notches of a mouse wheel are ignored.
class SwipeTracker final {
public:
    static constexpr double kSaveDistance = 65;

    SwipeOutput handle(const SwipeInput& input, bool enabled);
    double distance() const { return distance_; }

private:
    double distance_ = 0;
};

} // namespace cadrelle
