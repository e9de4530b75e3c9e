#include "AppDelegate.h"

#include "app/LaunchBehavior.h"
#include "app/TrayIcon.h"
#include "ui/PreviewWindow.h"
#include "ui/SettingsWindow.h"
#include "ui/VideoFormatDialog.h"
#include "ui/WindowPlacement.h"
#include "ui/quickaccess/ScreenshotTrayController.h"

#include "core/FileError.h"

#include <QApplication>
#include <QPointer>

#include <utility>

namespace cadrelle {

AppDelegate::AppDelegate(AppModelSetup modelSetup, AppLaunch launch,
                         std::shared_ptr<AlertPresenter> alerts)
    : modelSetup_(std::move(modelSetup)), dataDirectory_(modelSetup_.dataDirectory),
      launch_(std::move(launch)), alerts_(std::move(alerts)),
      forwarder_([this](const LaunchRequest& request) { handle(request); }) {
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            &AppDelegate::applicationWillTerminate);
}

AppDelegate::~AppDelegate() {
    if (model_) {
        // Nothing the model reports while it shuts down reaches the windows,
        // which go first.
        model_->disconnect(this);
    }
    trayIcon_.reset();
    previewWindow_.reset();
    window_.reset();
    quickAccess_.reset();
    model_.reset();
}

AppDelegate::Launched AppDelegate::launch() {
    try {
        lock_.emplace(dataDirectory_ / "instance.lock");
    } catch (const AlreadyRunning& running) {
        try {
            if (InstanceForwarder::forward(InstanceForwarder::socketName(dataDirectory_),
                                           {launch_.files, launch_.backgroundRequested},
                                           launch_.handOverLimit)) {
                return Launched::handedOver;
            }
        } catch (const std::exception&) {
            // Without a private folder for the socket no copy can be reached.
        }
        return fail(running.message());
    } catch (...) {
        return fail(userDescription(std::current_exception()));
    }
    // A copy that later launches can't reach would stay out of the user's
    // reach, so a socket that can't be made ends the launch. Requests that
    // arrive during the launch are answered at once and handled once it is
    // done.
    try {
        forwarder_.listen(InstanceForwarder::socketName(dataDirectory_));
    } catch (const FileError& error) {
        return fail("Later launches can't reach Cadrelle: " + userDescription(error));
    } catch (...) {
        return fail(userDescription(std::current_exception()));
    }
    try {
        model_ = std::make_unique<AppModel>(std::move(modelSetup_));
    } catch (...) {
        return fail(userDescription(std::current_exception()));
    }
    const bool openSettings = LaunchBehavior::shouldOpenSettings(
        launch_.backgroundRequested, model_->preferences().completedSetup);
    connectModel();
    quickAccess_ = std::make_unique<ScreenshotTrayController>(model_->quickAccess());
    window_ = std::make_unique<SettingsWindow>(*model_, launch_.geometryFile);
    connect(window_.get(), &SettingsWindow::quitRequested, this, &AppDelegate::quit);
    trayIcon_ = std::make_unique<TrayIcon>(
        *model_, [this] { showWindow(); }, window_->quitAction());
    if (openSettings) {
        showWindow();
    }
    refreshQuickAccess();
    AppUpdater& updater = model_->updater();
    updater.workIsInProgress = [model = QPointer<AppModel>(model_.get())] {
        return model != nullptr &&
               (model->framing().isWorking() || model->watchExportStatus().has_value() ||
                !model->quickAccess().previewBusyIDs().empty());
    };
    updater.start();
    if (!launch_.files.empty()) {
        openFiles(launch_.files);
    }
    launched_ = true;
    for (const LaunchRequest& request : std::exchange(earlyRequests_, {})) {
        handle(request);
    }
    return Launched::running;
}

AppDelegate::Launched AppDelegate::fail(const std::string& description) {
    forwarder_.close();
    alerts_->launchFailed(description);
    return Launched::failed;
}

void AppDelegate::connectModel() {
    connect(model_.get(), &AppModel::showPreview, this, &AppDelegate::showCapturePreview);
    connect(model_.get(), &AppModel::screenshotPreviewChanged, this,
            &AppDelegate::refreshQuickAccess);
    connect(model_.get(), &AppModel::closeSettings, this, [this] {
        if (window_) {
            window_->close();
        }
    });
    connect(model_.get(), &AppModel::presentationChanged, this, &AppDelegate::updateTrayIcon);
}

void AppDelegate::handle(const LaunchRequest& request) {
    if (!launched_) {
        earlyRequests_.push_back(request);
        return;
    }
    if (!request.files.empty()) {
        openFiles(request.files);
    } else if (!request.background) {
        showWindow();
    }
}

void AppDelegate::refreshQuickAccess() {
    if (quickAccess_) {
        quickAccess_->refresh();
    }
}

void AppDelegate::showWindow() {
    if (!window_) {
        return;
    }
    window_->showAndRaise();
    // An open format question stays in front of the window: it is what the
    // user has to answer first.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* question = qobject_cast<VideoFormatDialog*>(window);
            question != nullptr && question->isVisible()) {
            bringToFront(*question);
        }
    }
}

void AppDelegate::openFiles(const std::vector<std::filesystem::path>& files) {
    showWindow();
    if (model_) {
        model_->frameManually(files);
    }
}

void AppDelegate::quit() {
    // exit(), not quit(): a window that refuses to close (an open format
    // question) must not keep the application from ending.
    QCoreApplication::exit(0);
}

void AppDelegate::showCapturePreview() {
    if (!model_) {
        return;
    }
    if (!previewWindow_) {
        previewWindow_ = std::make_unique<PreviewWindow>(*model_);
    }
    previewWindow_->showAndRaise();
}

void AppDelegate::updateTrayIcon() {
    if (trayIcon_) {
        trayIcon_->update();
    }
}

void AppDelegate::applicationWillTerminate() {
    // Later launches are no longer taken: one answered now would be lost.
    forwarder_.close();
    if (model_) {
        model_->shutdown();
        // An update fetched on its own is put in place on the way out.
        model_->updater().applicationWillTerminate();
    }
}

} // namespace cadrelle
