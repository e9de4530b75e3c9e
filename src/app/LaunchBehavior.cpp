#include "LaunchBehavior.h"

namespace cadrelle::LaunchBehavior {

bool shouldOpenSettings(const std::optional<LaunchEvent>& event, bool backgroundRequested,
                        bool completedSetup) {
    if (!completedSetup) {
        return true;
    }
    if (backgroundRequested) {
        return false;
    }
    if (!event || event->id != "oapp" || !event->launchedAs) {
        return true;
    }
    return *event->launchedAs != "lgit" && *event->launchedAs != "svit";
}

} // namespace cadrelle::LaunchBehavior
