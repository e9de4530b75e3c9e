#include "AppModel.h"

#include "capture/CaptureNaming.h"
#include "capture/CaptureProgress.h"
#include "capture/CaptureWatcher.h"
#include "capture/WatchConfiguration.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/PrivateFolder.h"
#include "core/TemporaryItems.h"
#include "frames/FrameSelection.h"
#include "simulator/SimulatorTimeController.h"

#include <algorithm>

namespace cadrelle {

namespace {

std::optional<FrameAsset> frameWithID(const std::vector<FrameAsset>& frames,
                                      const std::optional<std::string>& id) {
    const auto found = std::find_if(frames.begin(), frames.end(),
                                    [&](const FrameAsset& frame) { return frame.id == id; });
    return found == frames.end() ? std::nullopt : std::optional<FrameAsset>(*found);
}

// Removes what a killed run left in the data folder (see TemporaryItems.h),
// and keeps other copies from doing so while this one runs.
void claimDataFolders(const std::filesystem::path& data, const std::filesystem::path& inbox) {
    claimTemporaryFolder(data);
    claimTemporaryFolder(data / "Frames");
    claimTemporaryFolder(data / "Journals");
    claimTemporaryFolder(inbox, true);
}

} // namespace

AppModel::AppModel(AppModelSetup setup)
    : dataDirectory_(std::move(setup.dataDirectory)),
      shippedFrames_(std::move(setup.shippedFrames)), services_(std::move(setup.services)),
      simulatorRun_(std::move(setup.simulatorRun)), library_{dataDirectory_ / "Frames"},
      history_(dataDirectory_ / "history.json"),
      updater_(std::make_unique<AppUpdater>(std::move(setup.updateConfiguration),
                                            std::move(setup.updateBackend))),
      watchGeneration_(newUuidString()),
      videoFormats_(std::make_unique<VideoFormatPrompter>(std::move(setup.formatPresenter))),
      framing_(
          std::make_unique<ManualFraming>([this] { return framingSnapshot(); }, *videoFormats_)),
      quickAccess_(
          std::make_unique<QuickAccessItems>(ScreenshotInbox(dataDirectory_ / "Screenshot Inbox"),
                                             library_, services_, preferences_, framing_->work())),
      folderSetup_(std::make_unique<FolderSetup>(preferences_, settingsFile(), services_.panels)) {
    connectParts();
    // Pending screenshots, the history and the journals are the user's
    // alone, whatever the umask, and whatever an earlier version made.
    makePrivateFolder(dataDirectory_);
    createDirectories(library_.directory);
    claimDataFolders(dataDirectory_, quickAccess_->inbox().directory());
    preferences_ = Preferences::load(settingsFile());
    loadFrames();
    history_ = CaptureHistory::load(history_.file());
    // A damaged item must neither keep the application from starting nor
    // hide the other pending screenshots; it is named once watching started,
    // which clears earlier errors.
    std::optional<std::string> inboxProblem;
    try {
        inboxProblem = quickAccess_->load();
    } catch (const std::exception& error) {
        inboxProblem = userDescription(error);
    }
    launchAtLogin_ = services_.loginItem && services_.loginItem->isEnabled();
    restoreFolderAccess();
    startWatching();
    if (inboxProblem) {
        setErrorMessage(errorMessage_ ? *errorMessage_ + " " + *inboxProblem : *inboxProblem);
    }
    updateSimulatorTime();
}

AppModel::~AppModel() {
    shutdown();
}

void AppModel::loadFrames() {
    const auto preferred = frameWithID(library_.load(), preferences_.selectedFrameID);
    if (shippedFrames_ && itemExists(*shippedFrames_ / "catalog.json")) {
        library_.installBundled(FrameLibrary{*shippedFrames_});
    }
    setFrames(library_.load());
    if (!frameWithID(frames_, preferences_.selectedFrameID)) {
        if (const auto replacement = replacementFrame(preferred, frames_)) {
            preferences_.selectedFrameID = replacement->id;
        }
    }
}

std::optional<CaptureRecord> AppModel::selectedCapture() const {
    const auto& records = captures();
    const auto found = std::find_if(records.begin(), records.end(), [&](const CaptureRecord& r) {
        return r.id == selectedCaptureID_;
    });
    if (found != records.end()) {
        return *found;
    }
    return records.empty() ? std::nullopt : std::optional<CaptureRecord>(records.front());
}

void AppModel::setPreferences(Preferences preferences) {
    preferences_ = std::move(preferences);
    emit preferencesChanged();
}

void AppModel::setSelectedCaptureID(std::optional<std::string> id) {
    selectedCaptureID_ = std::move(id);
    emit selectedCaptureIDChanged();
}

void AppModel::setErrorMessage(std::optional<std::string> message) {
    errorMessage_ = std::move(message);
    emit errorMessageChanged();
}

void AppModel::setStatus(std::string status) {
    status_ = std::move(status);
    emit statusChanged();
}

void AppModel::setFrames(std::vector<FrameAsset> frames) {
    frames_ = std::move(frames);
    quickAccess_->setFrames(frames_);
    emit framesChanged();
}

void AppModel::setWatchExportStatus(std::optional<std::string> status) {
    watchExportStatus_ = std::move(status);
    emit watchExportStatusChanged();
}

void AppModel::setSimulatorTimeStatus(SimulatorTimeStatus status) {
    simulatorTimeStatus_ = std::move(status);
    emit simulatorTimeStatusChanged();
}

std::filesystem::path AppModel::settingsFile() const {
    return dataDirectory_ / "settings.json";
}

void AppModel::startWatching() {
    if (isWatching()) {
        return;
    }
    if (!preferences_.completedSetup) {
        setStatus("Choose your folders to get started");
        return;
    }
    WatchConfiguration config;
    // Normalised, so that "out" and "out/" share one journal.
    const WatchFolders folders =
        normalisedWatchFolders(preferences_.inputPath, preferences_.outputPath);
    config.input = folders.input;
    config.output = folders.output;
    config.library = library_;
    config.assets = frames_;
    config.selectedID = preferences_.selectedFrameID;
    config.automaticallyMatch = preferences_.automaticallyMatch;
    config.allPNG = preferences_.allPNG;
    config.journal = dataDirectory_ / "Journals" /
                     journalFileName(config.input, config.output.string(), config.allPNG);
    config.videoFormat = VideoExportFormat::mp4;
    if (preferences_.screenshotPreviewEnabled) {
        config.screenshotInbox = quickAccess_->inbox().directory();
    }
    watchGeneration_ = newUuidString();
    const std::string generation = watchGeneration_;
    // The callbacks run on the watcher's queue and post to the model, which
    // outlives every watcher: shutdown and the destructor stop it first.
    try {
        watcher_ = std::make_unique<CaptureWatcher>(
            std::move(config),
            [this](const CaptureRecord& record) {
                mailbox_.post([this, record] { received(record); });
            },
            [this](const std::string& message) {
                mailbox_.post([this, message] { setErrorMessage(message); });
            },
            [this, generation](const std::optional<CaptureProgress>& progress) {
                std::optional<std::string> text;
                if (progress) {
                    text = progressText(*progress);
                }
                mailbox_.post([this, generation, text] {
                    if (watchGeneration_ == generation) {
                        setWatchExportStatus(text);
                    }
                });
            },
            [this, generation](const std::filesystem::path& recording,
                               CaptureWatcher::FormatAnswer answer) {
                mailbox_.post([this, generation, recording, answer] {
                    if (watchGeneration_ != generation) {
                        answer(std::nullopt);
                        return;
                    }
                    videoFormats_->request({recording}, generation, answer);
                });
            });
    } catch (const std::exception& error) {
        setErrorMessage(userDescription(error));
        setStatus("Couldn't start watching");
        return;
    }
    watcher_->start();
    emit isWatchingChanged();
    setErrorMessage(std::nullopt);
    setStatus("Listening for screenshots and recordings");
    savePreferences(false);
}

void AppModel::stopWatching() {
    const std::string old = watchGeneration_;
    watchGeneration_ = newUuidString();
    setWatchExportStatus(std::nullopt);
    if (watcher_) {
        watcher_->stop();
        watcher_.reset();
    }
    emit isWatchingChanged();
    videoFormats_->cancel(old);
}

void AppModel::savePreferences(bool restart) {
    try {
        preferences_.save(settingsFile());
    } catch (const std::exception& error) {
        setErrorMessage(userDescription(error));
    }
    emit preferencesChanged();
    emit presentationChanged();
    if (restart) {
        stopWatching();
        startWatching();
    }
}

void AppModel::remember(const CaptureRecord& record) {
    const auto failure = history_.remember(record);
    emit capturesChanged();
    setSelectedCaptureID(record.id);
    if (failure) {
        setErrorMessage(*failure);
    }
}

void AppModel::received(const CaptureRecord& record) {
    try {
        if (quickAccess_->take(record)) {
            return;
        }
    } catch (const std::exception& error) {
        setErrorMessage(userDescription(error));
    }
    remember(record);
    if (isFramedVideo(record.output) && preferences_.previewAfterCapture) {
        emit showPreview();
    }
}

void AppModel::connectParts() {
    connect(quickAccess_.get(), &QuickAccessItems::finished, this, &AppModel::remember);
    for (const auto signal : {&QuickAccessItems::itemAdded, &QuickAccessItems::itemChanged,
                              &QuickAccessItems::itemRemoved}) {
        connect(quickAccess_.get(), signal, this, &AppModel::screenshotPreviewChanged);
    }
    connect(framing_.get(), &ManualFraming::framed, this, &AppModel::received);
    connect(framing_.get(), &ManualFraming::failed, this,
            [this](const std::string& message) { setErrorMessage(message); });
    connect(framing_.get(), &ManualFraming::framesImported, this,
            [this](const std::vector<FrameAsset>& frames) {
                setFrames(frames);
                savePreferences(true);
            });
    connect(folderSetup_.get(), &FolderSetup::preferencesSaved, this,
            [this](const Preferences& preferences) { setPreferences(preferences); });
    connect(folderSetup_.get(), &FolderSetup::failed, this,
            [this](const std::string& message) { setErrorMessage(message); });
    connect(folderSetup_.get(), &FolderSetup::folderSelected, this, [this] {
        setErrorMessage(std::nullopt);
        if (preferences_.completedSetup) {
            stopWatching();
            startWatching();
        }
    });
    connect(folderSetup_.get(), &FolderSetup::setupCompleted, this, [this] {
        setErrorMessage(std::nullopt);
        emit presentationChanged();
        startWatching();
    });
}

void AppModel::restoreFolderAccess() {
    preferences_ = folderSetup_->restoredFolders();
    savePreferences(false);
}

FramingSetup AppModel::framingSnapshot() const {
    FramingSetup setup;
    setup.library = library_;
    setup.assets = frames_;
    setup.selectedID = preferences_.selectedFrameID;
    setup.automaticallyMatch = preferences_.automaticallyMatch;
    setup.output = std::filesystem::path(preferences_.outputPath);
    if (preferences_.screenshotPreviewEnabled) {
        setup.screenshotInbox = quickAccess_->inbox().directory();
    }
    return setup;
}

void AppModel::frameManually(const std::vector<std::filesystem::path>& files) {
    if (!preferences_.completedSetup) {
        setErrorMessage("Finish setup first, then use Open Captures to frame existing "
                        "screenshots and recordings.");
        return;
    }
    framing_->frame(files);
}

void AppModel::chooseScreenshots() {
    FilePanelRequest request;
    request.kind = FilePanelRequest::Kind::files;
    request.title = "Choose PNG screenshots or saved MP4 recordings from Glimmerbox.";
    request.button = "Frame Captures";
    request.multiple = true;
    request.nameFilters = {"*.png *.PNG *.mp4 *.MP4"};
    // Captures are found where they arrive.
    request.startFolder = std::filesystem::path(preferences_.inputPath);
    services_.panels->show(request, [this](std::vector<std::filesystem::path> files) {
        if (!files.empty()) {
            frameManually(files);
        }
    });
}

void AppModel::importFrames() {
    FilePanelRequest request;
    request.kind = FilePanelRequest::Kind::files;
    request.title = "Choose front-facing PNG frames with a transparent screen opening. Apple "
                    "device frames are already included.";
    request.button = "Import Frames";
    request.multiple = true;
    request.nameFilters = {"*.png *.PNG"};
    services_.panels->show(request, [this](std::vector<std::filesystem::path> files) {
        if (!files.empty()) {
            framing_->importFrames(files, library_);
        }
    });
}

void AppModel::revealOutput() {
    try {
        services_.launcher->open(std::filesystem::path(preferences_.outputPath));
    } catch (const std::exception& error) {
        setErrorMessage(userDescription(error));
    }
}

void AppModel::copyCapture() {
    const auto capture = selectedCapture();
    if (!capture) {
        return;
    }
    services_.clipboard->clear();
    if (isFramedVideo(capture->output)) {
        services_.clipboard->putFile(capture->output);
    } else {
        services_.clipboard->putImage(capture->output);
    }
}

void AppModel::openCapture() {
    if (const auto capture = selectedCapture()) {
        try {
            services_.launcher->open(capture->output);
        } catch (const std::exception& error) {
            setErrorMessage(userDescription(error));
        }
    }
}

void AppModel::revealCapture() {
    if (const auto capture = selectedCapture()) {
        services_.launcher->reveal(capture->output);
    }
}

void AppModel::setLaunchAtLogin(bool enabled) {
    try {
        services_.loginItem->setEnabled(enabled);
        launchAtLogin_ = services_.loginItem->isEnabled();
        emit launchAtLoginChanged();
        if (enabled && !launchAtLogin_) {
            setErrorMessage("Allow Cadrelle in your desktop\u2019s startup applications settings.");
        }
    } catch (const std::exception& error) {
        launchAtLogin_ = services_.loginItem->isEnabled();
        emit launchAtLoginChanged();
        setErrorMessage(userDescription(error));
    }
}

void AppModel::updateSimulatorTime() {
    const bool enabled = preferences_.simulatorTimeEnabled;
    setSimulatorTimeStatus(
        {enabled ? "Applying simulator time\u2026" : "Restoring simulator clocks\u2026", false});
    if (!simulatorTime_) {
        simulatorTime_ = std::make_unique<SimulatorTimeController>(
            dataDirectory_ / "simulator-time-devices.json", simulatorRun_,
            [this](const SimulatorTimeStatus& status) {
                mailbox_.post([this, status] { setSimulatorTimeStatus(status); });
            });
    }
    simulatorTime_->configure(
        enabled ? std::optional<int>(static_cast<int>(preferences_.simulatorTimeMinutes))
                : std::nullopt);
}

void AppModel::waitForWork() {
    framing_->waitForWork();
}

void AppModel::shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    if (simulatorTime_) {
        simulatorTime_->stop();
    }
    framing_->cancel();
    // The watcher stops before its questions are withdrawn: a withdrawn
    // question is not a declined one, and the recording is asked about again
    // at the next start.
    stopWatching();
    videoFormats_->cancelAll();
    framing_->stop();
    // Folder access needs no release on this platform.
}

} // namespace cadrelle
