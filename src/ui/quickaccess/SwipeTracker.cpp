#include "SwipeTracker.h"

#include <algorithm>
#include <cmath>

namespace cadrelle {

SwipeOutput SwipeTracker::handle(const SwipeInput& input, bool enabled) {
    using Phase = SwipeInput::Phase;
    SwipeOutput output;
    if (std::abs(input.dx) < std::abs(input.dy)) {
        return output;
    }
    output.consumed = true;
    if (!enabled || !input.precise || input.phase == Phase::momentum) {
        return output;
    }
    if (input.phase == Phase::began) {
        distance_ = 0;
    }
    if (std::abs(input.dx) > std::abs(input.dy)) {
        distance_ = std::max(0.0, distance_ + input.dx);
    }
    output.moved = true;
    output.offset = distance_;
    if (input.phase == Phase::ended || input.phase == Phase::cancelled) {
        output.save = distance_ > kSaveDistance && input.phase != Phase::cancelled;
        distance_ = 0;
        output.offset = 0;
    }
    return output;
}

} // namespace cadrelle
