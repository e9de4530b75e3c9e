#pragma once

#include "updates/Appcast.h"
#include "updates/UpdateBackend.h"
#include "updates/UpdateDownloader.h"
#include "updates/UpdateInstaller.h"
#include "updates/UpdatePreferences.h"
#include "updates/UpdateUserDriver.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QTemporaryFile;

namespace cadrelle {

// Updates on Linux: reads the signed feed over HTTPS, once a day while the
// application runs and whenever the user asks; shows a found update through
// the user driver; downloads, verifies and stages it; and installs it either
// at once with a restart or, for updates fetched on their own, when the
// application quits. Installations that can't replace themselves only learn
// where to download the new version. Main thread only.
class LinuxUpdateBackend final : public QObject, public UpdateBackend {
    Q_OBJECT

public:
    struct Options {
        // The program's settings file, which keeps the updater's settings.
        std::filesystem::path settingsFile;
        // Where archives are downloaded to.
        std::filesystem::path downloadFolder;
        // The running version, compared with the feed's.
        std::string runningVersion;
        std::chrono::milliseconds transferTimeout{std::chrono::seconds(60)};
        // How long after start a check that is already due runs.
        std::chrono::milliseconds launchDelay{std::chrono::seconds(10)};
        // Seconds since 2001-01-01 00:00:00 UTC.
        std::function<double()> now = &UpdatePreferences::now;
        // Starts `executable` once this application has quit, and quits it.
        std::function<void(const std::filesystem::path& executable)> relaunch;
    };

    LinuxUpdateBackend(Options options, std::shared_ptr<UpdateInstaller> installer,
                       std::shared_ptr<UpdateUserDriver> driver);
    ~LinuxUpdateBackend() override;

    void prepare(const UpdateConfiguration& configuration, Events events) override;
    void start() override;
    bool canCheckForUpdates() const override;
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool on) override;
    bool automaticallyDownloadsUpdates() const override;
    void setAutomaticallyDownloadsUpdates(bool on) override;
    bool allowsAutomaticUpdates() const override;
    std::optional<double> lastUpdateCheckDate() const override;
    void checkForUpdates() override;
    void applicationWillTerminate() override;

    // How long until the next scheduled check, while one is scheduled.
    std::optional<std::chrono::milliseconds> nextScheduledCheck() const;

private:
    void schedule();
    void beginSession(bool userInitiated);
    void feedArrived(const QByteArray& body, const std::string& error);
    void offer(const AppcastItem& item);
    void download(const AppcastItem& item, bool silently);
    void archiveArrived(const AppcastItem& item, bool silently,
                        std::unique_ptr<QTemporaryFile> archive, const std::string& error);
    void install(const std::string& version);
    void activateAndRelaunch(const std::string& version);
    void notify();
    std::string runningVersion() const;
    void fail(const std::string& description);
    void endSession();

    const Options options_;
    const std::shared_ptr<UpdateInstaller> installer_;
    const std::shared_ptr<UpdateUserDriver> driver_;
    UpdatePreferences preferences_;
    std::unique_ptr<UpdateDownloader> downloader_;
    std::optional<UpdateConfiguration> configuration_;
    std::optional<Ed25519Verifier> verifier_;
    Events events_;
    bool started_ = false;
    bool sessionRunning_ = false;
    bool userInitiated_ = false;
    // The version unpacked and waiting to be put in use, if any.
    std::optional<std::string> staged_;
    QTimer scheduleTimer_;
    // Counts sessions, so that an answer meant for an ended one is dropped.
    int session_ = 0;
};

} // namespace cadrelle
