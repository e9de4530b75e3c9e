#pragma once

namespace cadrelle {

// Whether the desktop asks applications to avoid movement on screen.
class MotionPreference {
public:
    virtual ~MotionPreference() = default;
    virtual bool reduceMotion() = 0;
};

} // namespace cadrelle
