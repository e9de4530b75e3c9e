#pragma once

#include <optional>
#include <string>

namespace cadrelle {

// The event a desktop delivered with the launch: its four-letter id ("oapp"
// opens the application) and how the application was launched ("lgit" with
// the session's login items, "svit" as a service). This desktop sends none;
// the program always passes none.
struct LaunchEvent {
    std::string id;
    std::optional<std::string> launchedAs;
};

namespace LaunchBehavior {

// Whether the settings window opens at launch: always while setup is
// incomplete; never for a "--background" start; else unless the event says
// the launch was a login or service start.
bool shouldOpenSettings(const std::optional<LaunchEvent>& event, bool backgroundRequested,
                        bool completedSetup);

} // namespace LaunchBehavior

} // namespace cadrelle
