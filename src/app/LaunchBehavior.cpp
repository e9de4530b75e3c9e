#include "LaunchBehavior.h"

namespace cadrelle::LaunchBehavior {

bool shouldOpenSettings(bool backgroundRequested, bool completedSetup) {
    return !completedSetup || !backgroundRequested;
}

} // namespace cadrelle::LaunchBehavior
