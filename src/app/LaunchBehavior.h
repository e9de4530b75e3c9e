#pragma once

namespace cadrelle::LaunchBehavior {

// Whether the settings window opens at launch: always while setup is
// incomplete, never for a "--background" start, else always.
bool shouldOpenSettings(bool backgroundRequested, bool completedSetup);

} // namespace cadrelle::LaunchBehavior
