#include "AppUpdater.h"

#include "core/AppError.h"

namespace cadrelle {

AppUpdater::AppUpdater(UpdateConfiguration configuration, std::shared_ptr<UpdateBackend> backend,
                       std::chrono::milliseconds installPoll)
    : configuration_(std::move(configuration)), backend_(std::move(backend)) {
    installTimer_.setInterval(installPoll);
    connect(&installTimer_, &QTimer::timeout, this, &AppUpdater::pollInstall);
}

AppUpdater::~AppUpdater() = default;

void AppUpdater::start() {
    if (attemptedStart_) {
        return;
    }
    attemptedStart_ = true;
    if (!configuration_.isSound() || !backend_) {
        setStatusMessage("Updates aren't configured correctly. Please contact support.");
        return;
    }
    // The backend lives as long as this object, which it reports to.
    UpdateBackend::Events events;
    events.settingsChanged = [this] { mirror(); };
    events.shouldPostponeRelaunch = [this](std::function<void()> resume) {
        return postponeRelaunch(std::move(resume));
    };
    events.didAbort = [this](const std::string& description) { abort(description); };
    events.willShowUpdate = [this](bool userInitiated) {
        if (!userInitiated) {
            setWantsAttention(true);
        }
    };
    events.didReceiveAttention = [this] { setWantsAttention(false); };
    events.willFinishSession = [this] { setWantsAttention(false); };
    backend_->prepare(configuration_, std::move(events));
    mirror();
    allowsAutomaticUpdates_ = backend_->allowsAutomaticUpdates();
    try {
        backend_->start();
        isAvailable_ = true;
        emit changed();
    } catch (const std::exception& error) {
        setStatusMessage("Updates couldn't start. " + userDescription(error));
    }
}

void AppUpdater::mirror() {
    canCheckForUpdates_ = backend_->canCheckForUpdates();
    automaticallyChecks_ = backend_->automaticallyChecksForUpdates();
    automaticallyDownloads_ = backend_->automaticallyDownloadsUpdates();
    lastCheck_ = backend_->lastUpdateCheckDate();
    emit changed();
}

void AppUpdater::checkForUpdates() {
    if (canCheckNow()) {
        // A failure of an earlier check no longer applies.
        setStatusMessage(std::nullopt);
        backend_->checkForUpdates();
    }
}

void AppUpdater::applicationWillTerminate() {
    if (isAvailable_) {
        backend_->applicationWillTerminate();
    }
}

void AppUpdater::setAutomaticallyChecksForUpdates(bool on) {
    if (isAvailable_) {
        backend_->setAutomaticallyChecksForUpdates(on);
    }
}

void AppUpdater::setAutomaticallyDownloadsUpdates(bool on) {
    if (isAvailable_ && allowsAutomaticUpdates_) {
        backend_->setAutomaticallyDownloadsUpdates(on);
    }
}

bool AppUpdater::postponeRelaunch(std::function<void()> resume) {
    if (!workIsInProgress()) {
        return false;
    }
    // A newer request replaces an older one, which is dropped uncalled.
    deferredInstall_ = std::move(resume);
    setStatusMessage("The update will restart Cadrelle after the current export finishes.");
    installTimer_.start();
    return true;
}

void AppUpdater::pollInstall() {
    if (workIsInProgress()) {
        return;
    }
    installTimer_.stop();
    auto resume = std::move(deferredInstall_);
    deferredInstall_ = nullptr;
    setStatusMessage(std::nullopt);
    if (resume) {
        resume();
    }
}

void AppUpdater::abort(const std::string& description) {
    installTimer_.stop();
    deferredInstall_ = nullptr;
    // The failure stays in the settings group until the next check.
    setStatusMessage(description.empty() ? std::nullopt : std::optional(description));
}

void AppUpdater::setStatusMessage(std::optional<std::string> message) {
    statusMessage_ = std::move(message);
    emit changed();
}

void AppUpdater::setWantsAttention(bool wants) {
    wantsAttention_ = wants;
    emit changed();
}

} // namespace cadrelle
