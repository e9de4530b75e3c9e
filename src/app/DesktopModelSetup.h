#pragma once

#include "core/BuildInformation.h"
#include "model/AppModel.h"

#include <filesystem>
#include <functional>

namespace cadrelle {

// What the running application's model is made with: the data folder, the
// frames shipped beside the program, and the real desktop services (xdg-open
// and the file manager, the freedesktop trash, the autostart entry, Qt's file
// dialogs, clipboard and format dialog, the Xcode tools, the update settings
// in `information` and the Linux updater). `relaunch` is handed the program to
// start after an update was installed; it should end the application.
AppModelSetup
desktopModelSetup(const std::filesystem::path& dataDirectory, const BuildInformation& information,
                  std::function<void(const std::filesystem::path& executable)> relaunch = {});

// "$XDG_CONFIG_HOME/Lumivane/Cadrelle.conf": the program's own settings (the
// settings window's place, the updater's settings).
std::filesystem::path programSettingsFile();

} // namespace cadrelle
