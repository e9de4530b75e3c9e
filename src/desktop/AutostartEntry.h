#pragma once

#include "model/DesktopServices.h"

#include <filesystem>

namespace cadrelle {

// Starting with the desktop session through an XDG autostart entry:
// "<config>/autostart/cadrelle.desktop", which runs "<program> app
// --background". The entry counts as enabled unless the desktop marked it
// hidden or disabled.
class AutostartEntry final : public LoginItem {
public:
    // `configFolder`: $XDG_CONFIG_HOME (by default ~/.config); `program`: the
    // executable the entry starts, the installation's launcher.
    AutostartEntry(std::filesystem::path configFolder, std::filesystem::path program);
    // The user's own configuration folder and the running program.
    static std::filesystem::path userConfigFolder();

    bool isEnabled() override;
    void setEnabled(bool enabled) override;
    // An entry written by an earlier version may start the program inside
    // one of the version folders in `versions`, which a later update
    // removes: its Exec line then starts `program` instead, keeping the
    // rest of the entry (its arguments, whether it is enabled). Throws
    // FileError when the entry can't be rewritten.
    void followInstallation(const std::filesystem::path& versions);

    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    std::filesystem::path program_;
};

} // namespace cadrelle
