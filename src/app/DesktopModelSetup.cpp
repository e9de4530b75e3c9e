#include "DesktopModelSetup.h"

#include "app/UnavailableUpdateBackend.h"
#include "desktop/AutostartEntry.h"
#include "desktop/FreedesktopTrash.h"
#include "desktop/XdgLauncher.h"
#include "frames/ShippedFrames.h"
#include "ui/QtFilePanels.h"
#include "ui/QtPasteboard.h"
#include "ui/QtVideoFormatPresenter.h"

#include <QCoreApplication>

namespace cadrelle {

AppModelSetup desktopModelSetup(const std::filesystem::path& dataDirectory) {
    AppModelSetup setup;
    setup.dataDirectory = dataDirectory;
    setup.shippedFrames = shippedFramesDirectory();
    setup.services.panels = std::make_shared<QtFilePanels>();
    setup.services.launcher = std::make_shared<XdgLauncher>();
    setup.services.trash = std::make_shared<FreedesktopTrash>();
    setup.services.loginItem = std::make_shared<AutostartEntry>(
        AutostartEntry::userConfigFolder(),
        std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()));
    setup.services.pasteboard = std::make_shared<QtPasteboard>();
    setup.formatPresenter = std::make_shared<QtVideoFormatPresenter>();
    // No runner given: the simulator clock runs the real xcrun and xcode-select.
    setup.simulatorRun = {};
    setup.updateBackend = std::make_shared<UnavailableUpdateBackend>();
    setup.updateConfiguration = UpdateConfiguration::built();
    return setup;
}

} // namespace cadrelle
