#pragma once

#include "model/AppModel.h"

#include <filesystem>

namespace cadrelle {

// What the running application's model is made with: the data folder, the
// frames shipped beside the program, and the real desktop services (xdg-open
// and the file manager, the freedesktop trash, the autostart entry, Qt's file
// dialogs, clipboard and format dialog, the Xcode tools, the build's update
// settings).
AppModelSetup desktopModelSetup(const std::filesystem::path& dataDirectory);

} // namespace cadrelle
