#pragma once

#include "capture/CaptureFramer.h"
#include "capture/CaptureRecord.h"
#include "core/CaptureExportControl.h"
#include "core/ClosureMailbox.h"
#include "core/SerialQueue.h"
#include "frames/FrameAsset.h"
#include "frames/FrameLibrary.h"

#include <QObject>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

class VideoFormatPrompter;

// Frames the files the user opened or dropped, and imports frames, one job
// at a time on the "lumivane.import" work queue. Files that come while a job
// runs, or while its format question is open, are framed after it, in the
// order they came. Lives on the main thread; results come back to it.
class ManualFraming final : public QObject {
    Q_OBJECT

public:
    // `snapshot` tells, on the main thread, how the next job frames; the
    // prompter asks for the recordings' format and must outlive this.
    ManualFraming(std::function<FramingSetup()> snapshot, VideoFormatPrompter& videoFormats);
    // Waits for the queued work.
    ~ManualFraming() override;
    ManualFraming(const ManualFraming&) = delete;
    ManualFraming& operator=(const ManualFraming&) = delete;

    bool isWorking() const { return isWorking_; }
    // The running job's progress line, if one runs.
    const std::optional<std::string>& exportStatus() const { return exportStatus_; }
    // The running framing's cancellation token, if one runs.
    const std::optional<CaptureExportControl>& manualExportControl() const {
        return manualExportControl_;
    }
    // The queue the jobs run on; other work of the application's model
    // joins it, in order.
    SerialQueue& work() { return *work_; }

    // Asks for the recordings' format, if there are any, then frames the
    // files; a dismissed question frames only the others.
    void frame(const std::vector<std::filesystem::path>& files);
    // Imports PNG frames into `library`.
    void importFrames(const std::vector<std::filesystem::path>& files, const FrameLibrary& library);

    // Cancels the running job and takes no more; jobs already queued end as
    // cancelled.
    void cancel();
    // Cancels, then waits for the queued work; the queue takes no more.
    void stop();
    // Runs everything queued so far and waits; the results it posted are
    // applied by the main thread's event loop.
    void waitForWork();

signals:
    void isWorkingChanged();
    void exportStatusChanged();
    // A file was framed.
    void framed(const CaptureRecord& record);
    // A file or an import failed with this sentence.
    void failed(const std::string& message);
    // The library after an import.
    void framesImported(const std::vector<FrameAsset>& frames);

private:
    void setWorking(bool working);
    void setExportStatus(std::optional<std::string> status);
    void frameBatch(const std::vector<std::filesystem::path>& files);
    // Ends the running job: starts the next files waiting, or stops working.
    void finishWork();
    void run(std::vector<std::filesystem::path> files, VideoExportFormat format);

    const std::function<FramingSetup()> snapshot_;
    VideoFormatPrompter& videoFormats_;
    bool isWorking_ = false;
    std::optional<std::string> exportStatus_;
    std::optional<CaptureExportControl> manualExportControl_;
    // Files handed over while a job ran, each batch as it came.
    std::deque<std::vector<std::filesystem::path>> waitingFiles_;
    // Cancelled by cancel(); every job's token is linked to it.
    CaptureExportControl lifetimeControl_;
    bool cancelled_ = false;
    // Results of the queue come back through it; whatever is still queued
    // when this goes is dropped with it.
    ClosureMailbox mailbox_;
    // Declared last: destroyed first, so no queued job outlives the state.
    std::unique_ptr<SerialQueue> work_;
};

} // namespace cadrelle
