#pragma once

#include "capture/CaptureCandidates.h"
#include "capture/CaptureFolderLock.h"
#include "capture/CaptureFramer.h"
#include "capture/CaptureJournal.h"
#include "capture/CaptureWatcher.h"
#include "capture/FinishedCaptures.h"
#include "core/CaptureExportControl.h"
#include "core/SerialQueue.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

QT_BEGIN_NAMESPACE
class QFileSystemWatcher;
QT_END_NAMESPACE

namespace cadrelle {

// Everything a CaptureWatcher keeps. After construction every member is used
// only on `queue`, except `exportControl`, the parent of every job's token,
// which stop() cancels from another thread.
class CaptureWatcherState final : public std::enable_shared_from_this<CaptureWatcherState> {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    struct PendingFile {
        FileStamp stamp;
        TimePoint since;
        int attempts = 0;
        bool recording = false;
        bool speculated = false; // framing of this very content was tried during its settling
    };
    // A screenshot framed while it settled, published only if it is still
    // the same when its settling time is over.
    struct Speculation {
        FileStamp stamp;
        StagedCapture staged;
    };
    struct VideoChoice {
        FileStamp stamp;
        VideoExportFormat format;
    };

    CaptureWatcherState(WatchConfiguration config, CaptureWatcher::OnCapture onCapture,
                        CaptureWatcher::OnError onError, CaptureWatcher::OnProgress onProgress,
                        CaptureWatcher::ChooseVideoFormat chooseVideoFormat,
                        CaptureWatcher::SteadyNow now);
    ~CaptureWatcherState();

    // The construction steps after the fields: frames, lock, export folder,
    // journal, folder events. Runs on the caller's thread.
    void setUp();
    void start();
    void stop();
    void scan();

    SerialQueue queue{"lumivane.capture"};
    CaptureExportControl exportControl;

private:
    std::optional<CaptureRecord> processCapture(const CaptureCandidate& candidate);
    std::optional<CaptureRecord> processWithStamp(const CaptureCandidate& candidate,
                                                  const FileStamp& stamp);
    // The format a settled recording is framed in, or none when the user has
    // to be asked (or its framed file exists already: then `existing`).
    std::optional<VideoExportFormat> recordingFormat(const CaptureCandidate& candidate,
                                                     const FileStamp& stamp,
                                                     const MatchedCapture& matched,
                                                     std::optional<CaptureRecord>& existing);
    void askForFormat(const CaptureCandidate& candidate, const FileStamp& stamp);
    void answerFormat(const std::string& path, const FileStamp& stamp,
                      std::optional<VideoExportFormat> format);
    void processSettled(const CaptureCandidate& candidate, const FileStamp& stamp);
    // Frames the pending screenshots not tried yet into staged results.
    void speculate();
    // The staged result for this very content, taken out of `speculations_`
    // (a result for other content is dropped, removing what it staged).
    std::optional<StagedCapture> takeSpeculation(const std::string& path, const FileStamp& stamp);
    void failedAttempt(const CaptureCandidate& candidate, const FileStamp& stamp,
                       const std::string& message);
    void writeJournal();
    // Scans after `delay`, or sooner when a scan is asked for sooner; all
    // requests until then become that one scan.
    void requestScan(std::chrono::milliseconds delay);
    void followPendingFiles();
    // A followed (pending) file was written to, renamed or removed.
    void followedFileChanged(const std::string& path);
    void scheduleSettleScan();
    // Notes the screenshots that were just closed or moved in.
    void collectFinished();
    // Whether a pending screenshot may skip the rest of its settling wait.
    bool isFinished(const CaptureCandidate& candidate, const FileStamp& stamp);
    TimePoint now() const { return now_(); }

    WatchConfiguration config_;
    CaptureWatcher::OnCapture onCapture_;
    CaptureWatcher::OnError onError_;
    CaptureWatcher::OnProgress onProgress_;
    CaptureWatcher::ChooseVideoFormat chooseVideoFormat_;
    CaptureWatcher::SteadyNow now_;

    std::map<std::string, FileStamp> awaitingVideoChoice_;
    std::map<std::string, VideoChoice> videoChoices_;
    HandledFiles handled_;
    std::map<std::string, PendingFile> pending_;
    std::map<std::string, Speculation> speculations_;
    CaptureFramer framer_;
    std::optional<std::string> lastError_;
    bool stopped_ = false;
    bool started_ = false;

    std::unique_ptr<CaptureFolderLock> folderLock_;
    QFileSystemWatcher* events_ = nullptr;       // lives on `queue`
    std::unique_ptr<FinishedCaptures> finished_; // lives on `queue`
    std::set<std::string> followedFiles_;
    std::optional<SerialQueue::TimerId> timer_;
    std::optional<SerialQueue::TimerId> settleTimer_;
    TimePoint lastScan_{}; // when the last scan began
    std::optional<SerialQueue::TimerId> scanRequest_;
    std::chrono::milliseconds scanRequestDelay_{0};
};

} // namespace cadrelle
