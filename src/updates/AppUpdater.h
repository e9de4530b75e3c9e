#pragma once

#include "updates/UpdateBackend.h"
#include "updates/UpdateConfiguration.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace cadrelle {

// The application's software updates: refuses to start with an unsound
// configuration, mirrors the backend's settings for the settings window,
// starts checks, asks for the user's attention when an update window opens
// on its own, and holds back the restart that installs an update while an
// export runs. Main thread only.
class AppUpdater final : public QObject {
    Q_OBJECT

public:
    AppUpdater(UpdateConfiguration configuration, std::shared_ptr<UpdateBackend> backend,
               std::chrono::milliseconds installPoll = std::chrono::milliseconds(500));
    ~AppUpdater() override;

    bool isAvailable() const { return isAvailable_; }
    bool canCheckForUpdates() const { return canCheckForUpdates_; }
    bool automaticallyChecksForUpdates() const { return automaticallyChecks_; }
    bool automaticallyDownloadsUpdates() const { return automaticallyDownloads_; }
    bool allowsAutomaticUpdates() const { return allowsAutomaticUpdates_; }
    const std::optional<double>& lastUpdateCheckDate() const { return lastCheck_; }
    const std::optional<std::string>& statusMessage() const { return statusMessage_; }
    // Whether an update window opened by a scheduled check waits for the
    // user's attention (the shell marks its window as urgent).
    bool wantsAttention() const { return wantsAttention_; }
    // Whether "Check for Updates…" can be used.
    bool canCheckNow() const { return isAvailable_ && canCheckForUpdates_; }

    // Answers whether an export is running; set by the application shell.
    std::function<bool()> workIsInProgress = [] { return false; };

    // Checks the configuration and starts the backend, once.
    void start();
    void checkForUpdates();
    void setAutomaticallyChecksForUpdates(bool on);
    void setAutomaticallyDownloadsUpdates(bool on);
    // The application is quitting: lets the backend install an update that
    // waits for this.
    void applicationWillTerminate();

signals:
    void changed();

private:
    void mirror();
    bool postponeRelaunch(std::function<void()> resume);
    void pollInstall();
    void abort(const std::string& description);
    void setStatusMessage(std::optional<std::string> message);
    void setWantsAttention(bool wants);

    const UpdateConfiguration configuration_;
    const std::shared_ptr<UpdateBackend> backend_;
    bool attemptedStart_ = false;
    bool isAvailable_ = false;
    bool canCheckForUpdates_ = false;
    bool automaticallyChecks_ = false;
    bool automaticallyDownloads_ = false;
    bool allowsAutomaticUpdates_ = false;
    std::optional<double> lastCheck_;
    std::optional<std::string> statusMessage_;
    bool wantsAttention_ = false;
    std::function<void()> deferredInstall_;
    QTimer installTimer_;
};

} // namespace cadrelle
