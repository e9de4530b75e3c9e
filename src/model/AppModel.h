#pragma once

#include "capture/CaptureFramer.h"
#include "capture/CaptureHistory.h"
#include "capture/CaptureRecord.h"
#include "capture/Preferences.h"
#include "core/ClosureMailbox.h"
#include "core/SimulatorTimeStatus.h"
#include "frames/FrameAsset.h"
#include "frames/FrameLibrary.h"
#include "model/DesktopServices.h"
#include "model/FolderSetup.h"
#include "model/ManualFraming.h"
#include "model/QuickAccessItems.h"
#include "model/VideoFormatPrompter.h"
#include "simulator/SimulatorTimeSession.h"
#include "updates/AppUpdater.h"

#include <QObject>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

class CaptureWatcher;
class SimulatorTimeController;

// What the application model is made with: its data folder and the desktop
// services it talks through. Tests pass temporary folders and fakes.
struct AppModelSetup {
    std::filesystem::path dataDirectory;
    // The frames shipped with the program; none or a folder without a
    // catalog merges nothing.
    std::optional<std::filesystem::path> shippedFrames;
    DesktopServices services;
    std::shared_ptr<VideoFormatPresenter> formatPresenter;
    // Runs the simulator tool for the clock override.
    SimulatorRun simulatorRun;
    std::shared_ptr<UpdateBackend> updateBackend;
    UpdateConfiguration updateConfiguration;
};

// The single observable object of the running application. It owns the
// preferences, the frames, the capture history and the watch run, and three
// parts with their own state: the Quick Access items, manual framing (with
// the work queue) and folder setup. It publishes everything the windows and
// the tray icon show. It lives on the main thread; slow work runs on the work
// queue or the watcher's queue and comes back to the main thread to change
// state. Each published value has a getter and a change signal emitted
// whenever it is set.
class AppModel final : public QObject {
    Q_OBJECT

public:
    // Loads everything and starts watching; throws when the settings can't be
    // read or the data folder can't be used.
    explicit AppModel(AppModelSetup setup);
    // Calls shutdown() if the shell did not.
    ~AppModel() override;
    AppModel(const AppModel&) = delete;
    AppModel& operator=(const AppModel&) = delete;

    // Published state.
    const Preferences& preferences() const { return preferences_; }
    const std::vector<FrameAsset>& frames() const { return frames_; }
    const std::vector<CaptureRecord>& captures() const { return history_.records(); }
    const std::optional<std::string>& selectedCaptureID() const { return selectedCaptureID_; }
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    const std::string& status() const { return status_; }
    const std::optional<std::string>& watchExportStatus() const { return watchExportStatus_; }
    bool isWatching() const { return watcher_ != nullptr; }
    bool launchAtLogin() const { return launchAtLogin_; }
    const SimulatorTimeStatus& simulatorTimeStatus() const { return simulatorTimeStatus_; }

    // The parts.
    QuickAccessItems& quickAccess() { return *quickAccess_; }
    const QuickAccessItems& quickAccess() const { return *quickAccess_; }
    ManualFraming& framing() { return *framing_; }
    const ManualFraming& framing() const { return *framing_; }
    FolderSetup& folderSetup() { return *folderSetup_; }

    // The record selected for the preview, else the newest, else none.
    std::optional<CaptureRecord> selectedCapture() const;
    AppUpdater& updater() { return *updater_; }
    const std::filesystem::path& dataDirectory() const { return dataDirectory_; }

    // Views change these directly.
    void setPreferences(Preferences preferences);
    void setSelectedCaptureID(std::optional<std::string> id);
    void setErrorMessage(std::optional<std::string> message);

    // Watching.
    void startWatching();
    void stopWatching();
    // Saves the preferences (a failure becomes the error line), emits
    // presentationChanged, and with `restart` stops and starts watching.
    void savePreferences(bool restart);
    // Adds a finished capture to the history and selects it.
    void remember(const CaptureRecord& record);
    // A framed capture from the watcher or from manual framing.
    void received(const CaptureRecord& record);

    // Manual framing of files the user opened or dropped, once setup is
    // completed.
    void frameManually(const std::vector<std::filesystem::path>& files);

    // Small operations.
    void chooseScreenshots();
    void importFrames();
    void revealOutput();
    void copyCapture();
    // Open the selected capture's output with its default application, or
    // show it in the file manager; a failure becomes the error line.
    void openCapture();
    void revealCapture();
    void setLaunchAtLogin(bool enabled);
    void updateSimulatorTime();

    // Ends everything before the application quits: restores the simulator
    // clocks, cancels manual framing, stops watching, withdraws format
    // questions (a recording the watcher asked about stays unanswered, so the
    // next start asks again) and waits for queued work. Later calls do
    // nothing.
    void shutdown();

    // Runs everything queued so far on the work queue and waits; then the
    // results it posted are applied by the main thread's event loop.
    void waitForWork();

signals:
    void preferencesChanged();
    void framesChanged();
    void capturesChanged();
    void selectedCaptureIDChanged();
    void errorMessageChanged();
    void statusChanged();
    void watchExportStatusChanged();
    void isWatchingChanged();
    void launchAtLoginChanged();
    void simulatorTimeStatusChanged();

    // For the application shell: a framed recording is to be previewed.
    void showPreview();
    // The Quick Access items changed, or the user asked to see them.
    void screenshotPreviewChanged();
    // The settings window is to close.
    void closeSettings();
    // The preferences were saved or setup was completed.
    void presentationChanged();

private:
    void loadFrames();
    void setFrames(std::vector<FrameAsset> frames);
    void setStatus(std::string status);
    void setWatchExportStatus(std::optional<std::string> status);
    void setSimulatorTimeStatus(SimulatorTimeStatus status);
    void connectParts();
    void restoreFolderAccess();
    FramingSetup framingSnapshot() const;
    std::filesystem::path settingsFile() const;

    const std::filesystem::path dataDirectory_;
    const std::optional<std::filesystem::path> shippedFrames_;
    const DesktopServices services_;
    const SimulatorRun simulatorRun_;
    const FrameLibrary library_;

    Preferences preferences_;
    std::vector<FrameAsset> frames_;
    CaptureHistory history_;
    std::optional<std::string> selectedCaptureID_;
    std::optional<std::string> errorMessage_;
    std::string status_ = "Connecting to capture folder\u2026";
    std::optional<std::string> watchExportStatus_;
    bool launchAtLogin_ = false;
    SimulatorTimeStatus simulatorTimeStatus_{"Off \u00B7 Simulators use their normal clock.",
                                             false};

    std::unique_ptr<AppUpdater> updater_;
    std::unique_ptr<CaptureWatcher> watcher_;
    std::string watchGeneration_;
    std::unique_ptr<VideoFormatPrompter> videoFormats_;
    std::unique_ptr<SimulatorTimeController> simulatorTime_;
    bool shutDown_ = false;
    // Results of the watcher and the simulator controller come back to the
    // main thread through it; whatever is still queued when the model goes
    // is dropped with it.
    ClosureMailbox mailbox_;
    // The work queue is manual framing's; the Quick Access items queue their
    // work on it too, so they go first.
    std::unique_ptr<ManualFraming> framing_;
    std::unique_ptr<QuickAccessItems> quickAccess_;
    std::unique_ptr<FolderSetup> folderSetup_;
};

} // namespace cadrelle
