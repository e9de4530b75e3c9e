#include "DesktopModelSetup.h"

#include "core/Installation.h"
#include "desktop/AutostartEntry.h"
#include "desktop/FreedesktopTrash.h"
#include "desktop/XdgLauncher.h"
#include "frames/ShippedFrames.h"
#include "ui/QtClipboard.h"
#include "ui/QtFilePanels.h"
#include "ui/QtVideoFormatPresenter.h"
#include "ui/UpdateDialog.h"
#include "updates/LinuxUpdateBackend.h"
#include "updates/UserInstallation.h"

#include <QStandardPaths>

namespace cadrelle {

namespace {

std::filesystem::path standardLocation(QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location).toStdString();
}

} // namespace

std::filesystem::path programSettingsFile() {
    return standardLocation(QStandardPaths::GenericConfigLocation) / "Lumivane" / "Cadrelle.conf";
}

AppModelSetup desktopModelSetup(const std::filesystem::path& dataDirectory,
                                const BuildInformation& information,
                                std::function<void(const std::filesystem::path&)> relaunch) {
    // A program outside a version folder (the build tree) runs as the
    // version it was built as.
    const Installation installation =
        Installation::of(Installation::running().executable, information.version);
    AppModelSetup setup;
    setup.dataDirectory = dataDirectory;
    setup.shippedFrames = shippedFramesDirectory();
    setup.services.panels = std::make_shared<QtFilePanels>();
    setup.services.launcher = std::make_shared<XdgLauncher>();
    setup.services.trash = std::make_shared<FreedesktopTrash>();
    // Login starts go through the installation's launcher, which outlives
    // the version folder that runs now.
    auto autostart =
        std::make_shared<AutostartEntry>(AutostartEntry::userConfigFolder(), installation.launcher);
    if (installation.isVersioned()) {
        try {
            autostart->followInstallation(installation.versions);
        } catch (const std::exception&) {
            // The entry stays as it was; turning "Launch at login" off and on
            // writes it anew.
        }
    }
    setup.services.loginItem = std::move(autostart);
    setup.services.clipboard = std::make_shared<QtClipboard>();
    setup.formatPresenter = std::make_shared<QtVideoFormatPresenter>();
    // No runner given: the simulator clock runs the real xcrun and xcode-select.
    setup.simulatorRun = {};
    LinuxUpdateBackend::Options updates;
    updates.settingsFile = programSettingsFile();
    updates.downloadFolder =
        standardLocation(QStandardPaths::GenericCacheLocation) / "Lumivane" / "Updates";
    updates.runningVersion = installation.version;
    updates.relaunch = std::move(relaunch);
    setup.updateBackend = std::make_shared<LinuxUpdateBackend>(
        std::move(updates), makeUpdateInstaller(installation), std::make_shared<UpdateDialog>());
    setup.updateConfiguration = UpdateConfiguration::of(information);
    return setup;
}

} // namespace cadrelle
