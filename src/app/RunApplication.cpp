#include "RunApplication.h"

#include "app/AppArguments.h"
#include "app/AppDelegate.h"
#include "app/DesktopModelSetup.h"
#include "app/MessageBoxAlertPresenter.h"
#include "core/AppError.h"
#include "core/StandardError.h"
#include "core/StopSignals.h"

#include <QApplication>
#include <QIcon>
#include <QProcess>

#include <optional>

#ifdef CADRELLE_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace cadrelle {

namespace {

// Picks the windowing platform before the application object exists. The
// Quick Access panel places itself on the screen, which Wayland does not
// allow, so X11 (XWayland in a Wayland session) is preferred whenever there
// is a display and the user did not choose a platform. Returns the sentence
// for a process that has no graphical session at all.
std::optional<std::string> chooseWindowingPlatform() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        return std::nullopt;
    }
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
#ifdef CADRELLE_HAVE_XCB
        // Qt ends the process with its own message when the display can't be
        // reached; a plain sentence is more use to someone starting us.
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        const bool unreachable = xcb_connection_has_error(connection) != 0;
        xcb_disconnect(connection);
        if (unreachable) {
            return "The X display \"" + qEnvironmentVariable("DISPLAY").toStdString() +
                   "\" can't be reached. Run cadrelle app inside an X11 or Wayland desktop "
                   "session.";
        }
#endif
        return std::nullopt;
    }
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return std::nullopt;
    }
    return "No graphical session was found. Run cadrelle app inside an X11 or Wayland desktop "
           "session.";
}

} // namespace

int runApplication(const std::vector<std::string>& arguments, const BuildInformation& information) {
    AppArguments parsed;
    try {
        parsed = AppArguments::parse(arguments, std::filesystem::current_path());
    } catch (...) {
        writeStandardError("Error: " + userDescription(std::current_exception()) + "\n");
        return 1;
    }
    if (const auto missing = chooseWindowingPlatform()) {
        writeStandardError("Error: " + *missing + "\n");
        return 1;
    }
    // Qt reads no options of its own from the user's words: a file named like
    // one of them stays a file.
    static int argc = 1;
    static char name[] = "cadrelle";
    static char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const std::string_view version = information.version;
    QApplication::setApplicationVersion(
        QString::fromUtf8(version.data(), static_cast<qsizetype>(version.size())));
    QApplication::setDesktopFileName(QStringLiteral("cadrelle"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/cadrelle.svg")));
    // Windows come and go; the application runs until it is told to quit.
    QApplication::setQuitOnLastWindowClosed(false);
    // SIGTERM (logout, kill) and SIGINT end the application like "Quit".
    const StopSignals stopSignals([] { QCoreApplication::exit(0); });

    // The program an installed update asks to start once this one is gone.
    std::optional<std::filesystem::path> relaunch;
    int status = 0;
    {
        AppDelegate delegate(desktopModelSetup(parsed.dataFolder(), information,
                                               [&relaunch](const std::filesystem::path& program) {
                                                   relaunch = program;
                                                   QCoreApplication::exit(0);
                                               }),
                             {parsed.background, parsed.files, programSettingsFile()},
                             std::make_shared<MessageBoxAlertPresenter>());
        switch (delegate.launch()) {
        case AppDelegate::Launched::handedOver:
            return 0;
        case AppDelegate::Launched::failed:
            return 1;
        case AppDelegate::Launched::running:
            break;
        }
        status = QApplication::exec();
    }
    // Started only after the delegate let go of the instance lock: earlier,
    // the new copy would hand its launch to this one and end.
    if (relaunch) {
        QProcess::startDetached(QString::fromStdString(relaunch->string()),
                                {QStringLiteral("app"), QStringLiteral("--background")});
    }
    return status;
}

} // namespace cadrelle
