#pragma once

#include "updates/UpdateConfiguration.h"

#include <functional>
#include <optional>
#include <string>

namespace cadrelle {

// The machinery that finds, downloads and installs updates, behind the
// operations the application uses. Main thread only.
class UpdateBackend {
public:
    // What the backend reports, on the main thread.
    struct Events {
        // One of the mirrored settings changed (read them again).
        std::function<void()> settingsChanged;
        // An update is ready and wants to restart the application. Returning
        // true holds the restart back until `resume` is called.
        std::function<bool(std::function<void()> resume)> shouldPostponeRelaunch;
        // The update session ended with an error.
        std::function<void(const std::string& description)> didAbort;
        // An update window is about to be shown; `userInitiated` tells whether
        // the user asked for the check.
        std::function<void(bool userInitiated)> willShowUpdate;
        // The user looked at the update window.
        std::function<void()> didReceiveAttention;
        // The update session is over.
        std::function<void()> willFinishSession;
    };

    virtual ~UpdateBackend() = default;

    // Prepares the backend for `configuration` without checking anything yet.
    virtual void prepare(const UpdateConfiguration& configuration, Events events) = 0;
    // Starts scheduled checks; throws when the backend can't run.
    virtual void start() = 0;

    virtual bool canCheckForUpdates() const = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
    virtual bool automaticallyDownloadsUpdates() const = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool on) = 0;
    // Whether this installation may update itself without asking.
    virtual bool allowsAutomaticUpdates() const = 0;
    // Seconds since 2001-01-01 00:00:00 UTC of the last check, if any.
    virtual std::optional<double> lastUpdateCheckDate() const = 0;
    virtual void checkForUpdates() = 0;
    // The application is quitting: an update fetched on its own is put in
    // place now, without a restart.
    virtual void applicationWillTerminate() {}
};

} // namespace cadrelle
