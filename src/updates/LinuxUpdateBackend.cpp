#include "LinuxUpdateBackend.h"

#include "core/AppError.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTemporaryFile>

#include <algorithm>

namespace cadrelle {
namespace {

constexpr double kDay = 24 * 60 * 60;

} // namespace

LinuxUpdateBackend::LinuxUpdateBackend(Options options, std::shared_ptr<UpdateInstaller> installer,
                                       std::shared_ptr<UpdateUserDriver> driver)
    : options_(std::move(options)), installer_(std::move(installer)), driver_(std::move(driver)),
      preferences_(options_.settingsFile) {
    scheduleTimer_.setSingleShot(true);
    connect(&scheduleTimer_, &QTimer::timeout, this, [this] { beginSession(false); });
}

LinuxUpdateBackend::~LinuxUpdateBackend() = default;

void LinuxUpdateBackend::prepare(const UpdateConfiguration& configuration, Events events) {
    configuration_ = configuration;
    events_ = std::move(events);
    downloader_ = std::make_unique<UpdateDownloader>(UpdateDownloader::Options{
        configuration.extraCertificateAuthorities, options_.transferTimeout});
}

void LinuxUpdateBackend::start() {
    if (!configuration_) {
        throw AppError("The updater was started before it was set up.");
    }
    verifier_.emplace(
        QByteArray::fromBase64(QByteArray::fromStdString(configuration_->publicEDKey)));
    started_ = true;
    schedule();
    notify(); // checks can start now
}

bool LinuxUpdateBackend::canCheckForUpdates() const {
    return started_ && !sessionRunning_;
}

bool LinuxUpdateBackend::automaticallyChecksForUpdates() const {
    return preferences_.automaticallyChecks();
}

void LinuxUpdateBackend::setAutomaticallyChecksForUpdates(bool on) {
    preferences_.setAutomaticallyChecks(on);
    schedule();
    notify();
}

bool LinuxUpdateBackend::automaticallyDownloadsUpdates() const {
    return preferences_.automaticallyDownloads();
}

void LinuxUpdateBackend::setAutomaticallyDownloadsUpdates(bool on) {
    preferences_.setAutomaticallyDownloads(on);
    notify();
}

bool LinuxUpdateBackend::allowsAutomaticUpdates() const {
    return installer_->canInstall();
}

std::optional<double> LinuxUpdateBackend::lastUpdateCheckDate() const {
    return preferences_.lastCheckDate();
}

void LinuxUpdateBackend::checkForUpdates() {
    beginSession(true);
}

std::optional<std::chrono::milliseconds> LinuxUpdateBackend::nextScheduledCheck() const {
    if (!scheduleTimer_.isActive()) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(scheduleTimer_.remainingTime());
}

void LinuxUpdateBackend::schedule() {
    scheduleTimer_.stop();
    if (!started_ || sessionRunning_ || !preferences_.automaticallyChecks()) {
        return;
    }
    // Due a day after the last check; a check already due waits for the
    // launch to settle. A last check "in the future" (the clock was set
    // back) waits one day at most.
    const double since = options_.now() - preferences_.lastCheckDate().value_or(-kDay);
    const double wait = std::clamp(kDay - since, 0.0, kDay);
    const auto delay =
        std::max(std::chrono::milliseconds(static_cast<qint64>(wait * 1000)), options_.launchDelay);
    scheduleTimer_.start(delay);
}

void LinuxUpdateBackend::beginSession(bool userInitiated) {
    if (!canCheckForUpdates()) {
        return;
    }
    scheduleTimer_.stop();
    sessionRunning_ = true;
    userInitiated_ = userInitiated;
    ++session_;
    // Every attempt counts as the day's check, so that an unreachable feed
    // is not asked again at once.
    preferences_.setLastCheckDate(options_.now());
    notify();
    downloader_->fetchFeed(
        configuration_->feedURL,
        [this](const QByteArray& body, const std::string& error) { feedArrived(body, error); });
}

void LinuxUpdateBackend::feedArrived(const QByteArray& body, const std::string& error) {
    if (!error.empty()) {
        fail(error);
        return;
    }
    std::optional<AppcastItem> newest;
    try {
        newest = Appcast::parse(body).newestAbove(runningVersion());
    } catch (const AppError& refused) {
        fail(refused.message());
        return;
    }
    if (!newest) {
        if (userInitiated_) {
            driver_->showNoUpdate("Cadrelle " + runningVersion() +
                                  " is the newest version available.");
        }
        endSession();
    } else if (!userInitiated_ && staged_ == newest->version) {
        endSession(); // already waiting to be installed on quit
    } else if (!userInitiated_ && automaticallyDownloadsUpdates() && installer_->canInstall()) {
        download(*newest, true);
    } else {
        offer(*newest);
    }
}

void LinuxUpdateBackend::offer(const AppcastItem& item) {
    const bool canInstall = installer_->canInstall();
    events_.willShowUpdate(userInitiated_);
    driver_->showUpdateFound({item.shortVersion, item.notes, item.link, canInstall, userInitiated_},
                             [self = QPointer(this), session = session_, item,
                              canInstall](UpdateUserDriver::Choice choice) {
                                 if (!self || self->session_ != session || !self->sessionRunning_) {
                                     return;
                                 }
                                 self->events_.didReceiveAttention();
                                 if (choice == UpdateUserDriver::Choice::install && canInstall) {
                                     self->download(item, false);
                                 } else {
                                     self->endSession();
                                 }
                             });
}

void LinuxUpdateBackend::download(const AppcastItem& item, bool silently) {
    if (staged_ == item.version) {
        install(item.version);
        return;
    }
    UpdateDownloader::Progress progress;
    if (!silently) {
        progress = [driver = driver_](qint64 received, qint64 total) {
            driver->showDownloadProgress(received, total);
        };
    }
    downloader_->fetchArchive(
        item, *verifier_, options_.downloadFolder, std::move(progress),
        [this, item, silently](std::unique_ptr<QTemporaryFile> archive, const std::string& error) {
            archiveArrived(item, silently, std::move(archive), error);
        });
}

void LinuxUpdateBackend::archiveArrived(const AppcastItem& item, bool silently,
                                        std::unique_ptr<QTemporaryFile> archive,
                                        const std::string& error) {
    if (!error.empty()) {
        fail(error);
        return;
    }
    try {
        installer_->stage(archive->fileName().toStdString(), item.version);
    } catch (const std::exception& refused) {
        fail(userDescription(refused));
        return;
    }
    archive.reset(); // the unpacked copy is all that is needed now
    staged_ = item.version;
    if (silently) {
        endSession(); // put in place when the application quits
    } else {
        install(item.version);
    }
}

void LinuxUpdateBackend::install(const std::string& version) {
    std::function<void()> resume = [self = QPointer(this), version] {
        if (self) {
            self->activateAndRelaunch(version);
        }
    };
    // The application may hold the restart back while an export runs.
    if (!events_.shouldPostponeRelaunch(resume)) {
        resume();
    }
}

void LinuxUpdateBackend::activateAndRelaunch(const std::string& version) {
    try {
        installer_->activate(version);
    } catch (const std::exception& refused) {
        fail(userDescription(refused));
        return;
    }
    staged_.reset();
    driver_->dismiss();
    // The session stays open: no further check starts while the
    // application quits.
    events_.willFinishSession();
    if (options_.relaunch) {
        options_.relaunch(installer_->currentExecutable());
    }
}

void LinuxUpdateBackend::applicationWillTerminate() {
    scheduleTimer_.stop();
    if (downloader_) {
        downloader_->cancel();
    }
    if (!staged_) {
        return;
    }
    try {
        installer_->activate(*staged_);
    } catch (const std::exception&) {
        // Nobody is left to tell; the running version stays in use and the
        // next check offers the update again.
    }
    staged_.reset();
}

void LinuxUpdateBackend::fail(const std::string& description) {
    events_.didAbort(description);
    driver_->dismiss();
    endSession();
}

void LinuxUpdateBackend::endSession() {
    sessionRunning_ = false;
    ++session_;
    events_.willFinishSession();
    notify();
    schedule();
}

void LinuxUpdateBackend::notify() {
    if (events_.settingsChanged) {
        events_.settingsChanged();
    }
}

std::string LinuxUpdateBackend::runningVersion() const {
    return options_.runningVersion.empty() ? QCoreApplication::applicationVersion().toStdString()
                                           : options_.runningVersion;
}

} // namespace cadrelle
