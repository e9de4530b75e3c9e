#pragma once

#include "capture/CaptureFramer.h"
#include "capture/CaptureHistory.h"
#include "capture/CaptureRecord.h"
#include "capture/PendingScreenshot.h"
#include "capture/Preferences.h"
#include "capture/ScreenshotInbox.h"
#include "core/CaptureExportControl.h"
#include "core/ClosureMailbox.h"
#include "core/SerialQueue.h"
#include "core/SimulatorTimeStatus.h"
#include "frames/FrameAsset.h"
#include "frames/FrameLibrary.h"
#include "model/DesktopServices.h"
#include "model/VideoFormatPrompter.h"
#include "simulator/SimulatorTimeSession.h"
#include "updates/AppUpdater.h"

#include <QObject>

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
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
// preferences, the frames, the capture history and the Quick Access items,
// runs one watch run at a time, frames captures opened by hand, and publishes
// everything the windows, the tray icon and the Quick Access panel show. It
// lives on the main thread; slow work runs on its "lumivane.import" queue or
// the watcher's queue and comes back to the main thread to change state.
// Each published value has a getter and a change signal emitted whenever it
// is set.
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
    const std::vector<PendingScreenshot>& pendingScreenshots() const { return pending_; }
    const std::map<std::string, std::string>& previewErrors() const { return previewErrors_; }
    const std::set<std::string>& previewBusyIDs() const { return previewBusyIDs_; }
    const std::optional<std::string>& selectedCaptureID() const { return selectedCaptureID_; }
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    const std::string& status() const { return status_; }
    const std::optional<std::string>& exportStatus() const { return exportStatus_; }
    const std::optional<std::string>& watchExportStatus() const { return watchExportStatus_; }
    bool isWorking() const { return isWorking_; }
    bool isWatching() const { return watcher_ != nullptr; }
    bool launchAtLogin() const { return launchAtLogin_; }
    const SimulatorTimeStatus& simulatorTimeStatus() const { return simulatorTimeStatus_; }

    // The record selected for the preview, else the newest, else none.
    std::optional<CaptureRecord> selectedCapture() const;
    // Whether the capture folder was chosen, so setup can be completed.
    bool canCompleteSetup() const { return preferences_.inputBookmark.has_value(); }
    AppUpdater& updater() { return *updater_; }
    const std::filesystem::path& dataDirectory() const { return dataDirectory_; }

    // Views change these directly.
    void setPreferences(Preferences preferences);
    void setSelectedCaptureID(std::optional<std::string> id);
    void setErrorMessage(std::optional<std::string> message);

    // Set by the application shell.
    std::function<void()> showPreview;
    std::function<void()> screenshotPreviewChanged;
    std::function<void()> closeSettings;
    std::function<void()> presentationChanged;

    // Watching.
    void startWatching();
    void stopWatching();
    // Saves the preferences (a failure becomes the error line), tells the
    // shell, and with `restart` stops and starts watching.
    void savePreferences(bool restart);
    // Adds a finished capture to the history and selects it.
    void remember(const CaptureRecord& record);
    // A framed capture from the watcher or from manual framing.
    void received(const CaptureRecord& record);

    // Manual framing of files the user opened or dropped. Files that come
    // while a job runs are framed after it, in the order they came.
    void frameManually(const std::vector<std::filesystem::path>& files);
    // The running manual framing's cancellation token, if one runs.
    const std::optional<CaptureExportControl>& manualExportControl() const {
        return manualExportControl_;
    }

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

    // Quick Access actions.
    std::vector<FrameAsset> finishes(const PendingScreenshot& item) const;
    void changeScreenshotFinish(const PendingScreenshot& item, const FrameAsset& frame);
    void saveScreenshot(const PendingScreenshot& item,
                        const std::optional<std::filesystem::path>& folder = std::nullopt);
    void saveScreenshotElsewhere(const PendingScreenshot& item);
    // Composes the screenshot with the chosen store image composition and
    // saves one image per size beside where Save puts it; the card is busy
    // meanwhile and shows a failure as its error.
    void saveStoreImage(const PendingScreenshot& item);
    void screenshotDragEnded(const PendingScreenshot& item, bool accepted);
    void copyScreenshot(const PendingScreenshot& item);
    void editScreenshot(const PendingScreenshot& item);
    void discardScreenshot(const PendingScreenshot& item);
    void screenshotError(const std::string& message, const PendingScreenshot& item);

    // Folder access and setup.
    void chooseFolder(bool input);
    // Stores the chosen folder's path and bookmark; throws when the settings
    // can't be saved (the published preferences then stay as they were).
    void selectFolder(const std::filesystem::path& folder, bool input);
    void completeSetup();
    void restoreFolderAccess();

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
    void pendingScreenshotsChanged();
    void previewErrorsChanged();
    void previewBusyIDsChanged();
    void selectedCaptureIDChanged();
    void errorMessageChanged();
    void statusChanged();
    void exportStatusChanged();
    void watchExportStatusChanged();
    void isWorkingChanged();
    void isWatchingChanged();
    void launchAtLoginChanged();
    void simulatorTimeStatusChanged();

private:
    using Action = std::function<std::optional<CaptureRecord>()>;

    void loadFrames();
    void setStatus(std::string status);
    void setExportStatus(std::optional<std::string> status);
    void setWatchExportStatus(std::optional<std::string> status);
    void setWorking(bool working);
    void setPending(std::vector<PendingScreenshot> pending);
    void setPreviewErrors(std::map<std::string, std::string> errors);
    void setPreviewBusyIDs(std::set<std::string> ids);
    // Marks a card busy while work on its item runs (clearing its old error),
    // or no longer busy.
    void setCardBusy(const std::string& id, bool busy);
    void setSimulatorTimeStatus(SimulatorTimeStatus status);
    void notifyQuickAccess();

    // Asks for the recordings' format, if any, then frames the files.
    void frameBatch(const std::vector<std::filesystem::path>& files);
    // Ends the running job: starts the next files waiting, or stops working.
    void finishWork();
    void runManualFraming(std::vector<std::filesystem::path> files, VideoExportFormat format);
    FramingSetup framingSnapshot() const;
    void finishScreenshot(const PendingScreenshot& item, const Action& action);
    bool isPending(const std::string& id) const;
    ScreenshotInbox inbox() const;
    std::filesystem::path settingsFile() const;

    const std::filesystem::path dataDirectory_;
    const std::optional<std::filesystem::path> shippedFrames_;
    const DesktopServices services_;
    const SimulatorRun simulatorRun_;
    const FrameLibrary library_;

    Preferences preferences_;
    std::vector<FrameAsset> frames_;
    CaptureHistory history_;
    std::vector<PendingScreenshot> pending_;
    std::map<std::string, std::string> previewErrors_;
    std::set<std::string> previewBusyIDs_;
    std::optional<std::string> selectedCaptureID_;
    std::optional<std::string> errorMessage_;
    std::string status_ = "Connecting to capture folder\u2026";
    std::optional<std::string> exportStatus_;
    std::optional<std::string> watchExportStatus_;
    bool isWorking_ = false;
    bool launchAtLogin_ = false;
    SimulatorTimeStatus simulatorTimeStatus_{"Off \u00B7 Simulators use their normal clock.",
                                             false};

    std::unique_ptr<AppUpdater> updater_;
    std::unique_ptr<CaptureWatcher> watcher_;
    std::string watchGeneration_;
    std::optional<CaptureExportControl> manualExportControl_;
    // Files handed over while a job ran, each batch as it came.
    std::deque<std::vector<std::filesystem::path>> waitingFiles_;
    // Cancelled at shutdown; every manual job's token is linked to it.
    CaptureExportControl lifetimeControl_;
    std::unique_ptr<VideoFormatPrompter> videoFormats_;
    std::unique_ptr<SimulatorTimeController> simulatorTime_;
    bool shutDown_ = false;
    // Results of the work queue, the watcher and the simulator controller
    // come back to the main thread through it; whatever is still queued when
    // the model goes is dropped with it.
    ClosureMailbox mailbox_;
    // Declared last: destroyed first, so no queued job outlives the state.
    std::unique_ptr<SerialQueue> work_;
};

} // namespace cadrelle
