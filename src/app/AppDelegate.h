#pragma once

#include "app/AlertPresenter.h"
#include "app/InstanceForwarder.h"
#include "app/InstanceLock.h"
#include "model/AppModel.h"

#include <QObject>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace cadrelle {

class PreviewWindow;
class ScreenshotTrayController;
class SettingsWindow;
class TrayIcon;

// How the application was started.
struct AppLaunch {
    // "--background": started with the desktop session.
    bool backgroundRequested = false;
    // Files to frame, absolute, in order.
    std::vector<std::filesystem::path> files;
    // Where the settings window keeps its place and size.
    std::filesystem::path geometryFile;
    // How long the request may wait for the running copy's answer when
    // another copy holds the instance lock.
    std::chrono::milliseconds handOverLimit = std::chrono::seconds(2);
};

// The running application: takes the instance lock, makes the model, the
// settings window, the preview window (on first use) and the tray icon,
// decides whether the settings window opens at launch, takes requests from
// later launches, and shuts the model down when the application quits.
class AppDelegate final : public QObject {
    Q_OBJECT

public:
    enum class Launched {
        running,    // the application runs: enter the event loop
        handedOver, // another copy runs and took the request: end with success
        failed,     // the user was told why: end with failure
    };

    // `modelSetup` names the data folder and the services the model uses;
    // `alerts` tells the user when the launch fails.
    AppDelegate(AppModelSetup modelSetup, AppLaunch launch, std::shared_ptr<AlertPresenter> alerts);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The launch sequence. When another copy holds the instance lock, the
    // request goes to that copy; only if it doesn't answer is the launch a
    // failure. A failed launch shows the alert and makes no window, menu or
    // tray icon.
    Launched launch();

    // Shows the settings window in front.
    void showWindow();
    // Shows the settings window and frames `files`.
    void openFiles(const std::vector<std::filesystem::path>& files);
    // Ends the event loop with success; the model shuts down on the way out.
    void quit();
    // Shows the preview window, made on first use.
    void showCapturePreview();
    // Adds or removes the tray icon to match the preference.
    void updateTrayIcon();

    AppModel* model() const { return model_.get(); }
    SettingsWindow* settingsWindow() const { return window_.get(); }
    PreviewWindow* previewWindow() const { return previewWindow_.get(); }
    TrayIcon* trayIcon() const { return trayIcon_.get(); }

private:
    Launched fail(const std::string& description);
    void connectModel();
    void handle(const LaunchRequest& request);
    // Brings the Quick Access panel in line with the pending screenshots.
    void refreshQuickAccess();
    void applicationWillTerminate();

    AppModelSetup modelSetup_;
    const std::filesystem::path dataDirectory_;
    const AppLaunch launch_;
    const std::shared_ptr<AlertPresenter> alerts_;
    std::optional<InstanceLock> lock_;
    InstanceForwarder forwarder_;
    // Requests from later launches that came before this launch was done.
    std::vector<LaunchRequest> earlyRequests_;
    bool launched_ = false;
    std::unique_ptr<AppModel> model_;
    std::unique_ptr<ScreenshotTrayController> quickAccess_;
    std::unique_ptr<SettingsWindow> window_;
    std::unique_ptr<PreviewWindow> previewWindow_;
    std::unique_ptr<TrayIcon> trayIcon_;
};

} // namespace cadrelle
