#pragma once

#include "MotionPreference.h"

#include <QElapsedTimer>
#include <QString>

#include <optional>

namespace cadrelle {

// Reads the setting of the two desktops that have one: KDE turns animations
// off with an animation speed factor of 0 in kdeglobals, GNOME with its
// enable-animations key. The answer is kept for two seconds, since a refresh
// may ask several times a second and the GNOME key is read by a program.
class DesktopMotionPreference final : public MotionPreference {
public:
    bool reduceMotion() override;

    // The decision on what was read: the KDE factor (none when unset) and
    // the output of `gsettings get` (empty when it did not run).
    static bool reducesMotion(const std::optional<QString>& kdeAnimationFactor,
                              const QString& gnomeEnableAnimations);

private:
    static bool read();

    QElapsedTimer age_;
    bool cached_ = false;
};

} // namespace cadrelle
