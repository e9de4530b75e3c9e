#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace cadrelle {

// The update windows the user sees, shown by the update backend. Main thread
// only.
class UpdateUserDriver {
public:
    enum class Choice {
        install, // "Install and Relaunch"
        later,   // "Later", "Open Download Page" or the window closed
    };

    struct FoundUpdate {
        std::string shortVersion;
        std::string notes;
        std::string downloadPage;
        // Whether this installation can put the update in place itself; if
        // not, the window only points to the download page.
        bool canInstall = false;
        // Whether the user asked for the check (otherwise the window asks
        // for attention when it opens).
        bool userInitiated = false;
    };

    virtual ~UpdateUserDriver() = default;

    // Shows that `update` exists; `choose` is called once with the user's
    // answer.
    virtual void showUpdateFound(const FoundUpdate& update, std::function<void(Choice)> choose) = 0;
    // Shows how much of the update has arrived.
    virtual void showDownloadProgress(std::int64_t received, std::int64_t total) = 0;
    // Tells the user that the check found nothing newer.
    virtual void showNoUpdate(const std::string& message) = 0;
    // Closes whatever update window is open.
    virtual void dismiss() = 0;
};

} // namespace cadrelle
