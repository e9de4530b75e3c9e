#include "CardTransition.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace cadrelle {
namespace {

// The response of a unit spring let go at 0 towards 1, after `seconds`: an
// underdamped oscillator with angular frequency 2π / response and damping
// ratio `kDamping`.
double springAt(double seconds) {
    constexpr double kResponse = 0.32;
    constexpr double kDamping = 0.88;
    const double natural = 2 * std::numbers::pi / kResponse;
    const double decay = kDamping * natural;
    const double damped = natural * std::sqrt(1 - kDamping * kDamping);
    return 1 - std::exp(-decay * seconds) *
                   (std::cos(damped * seconds) + decay / damped * std::sin(damped * seconds));
}

double springProgress(double progress) {
    constexpr double kSeconds = kCardListChangeMs / 1000.0;
    return springAt(progress * kSeconds) / springAt(kSeconds);
}

double between(double from, double to, double progress) {
    return from + (to - from) * progress;
}

} // namespace

CardTransition CardTransition::entering(double distance, bool reduceMotion) {
    return {{reduceMotion ? 0 : distance, 0, 0}, {}};
}

CardTransition CardTransition::leaving(double distance, bool reduceMotion) {
    return {{}, {reduceMotion ? 0 : distance, 0, 0}};
}

CardTransition CardTransition::staying(CardPose now, double down, bool reduceMotion) {
    if (reduceMotion) {
        return {{0, 0, now.opacity}, {}};
    }
    return {{now.offsetX, -down, now.opacity}, {}};
}

CardPose CardTransition::at(double progress) const {
    // The spring may overshoot its end a little; opacity stays in its range.
    return {between(from.offsetX, to.offsetX, progress),
            between(from.offsetY, to.offsetY, progress),
            std::clamp(between(from.opacity, to.opacity, progress), 0.0, 1.0)};
}

QEasingCurve cardListCurve() {
    QEasingCurve curve;
    curve.setCustomType(springProgress);
    return curve;
}

} // namespace cadrelle
