#pragma once

#include "model/DesktopServices.h"

#include <chrono>
#include <string>

namespace cadrelle {

// Opens files with the desktop's default applications through xdg-open,
// reveals files through the file manager's D-Bus interface where one runs,
// and finds the default PNG application with xdg-mime.
class XdgLauncher final : public DesktopLauncher {
public:
    void open(const std::filesystem::path& path) override;
    void reveal(const std::filesystem::path& path) override;
    bool hasImageEditor() override;
    void editImage(const std::filesystem::path& png) override;
};

} // namespace cadrelle
