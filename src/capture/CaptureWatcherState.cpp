#include "CaptureWatcherState.h"

#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/TemporaryItems.h"

#include <QFileSystemWatcher>
#include <QString>

#include <algorithm>

namespace cadrelle {

namespace {

using namespace std::chrono_literals;

constexpr int kAttempts = 10;
// A burst of folder events becomes one scan this long after the first.
constexpr auto kEventDelay = 20ms;

std::chrono::milliseconds settlingTime(bool recording) {
    return recording ? 3000ms : 1000ms;
}

} // namespace

CaptureWatcherState::CaptureWatcherState(WatchConfiguration config,
                                         CaptureWatcher::OnCapture onCapture,
                                         CaptureWatcher::OnError onError,
                                         CaptureWatcher::OnProgress onProgress,
                                         CaptureWatcher::ChooseVideoFormat chooseVideoFormat,
                                         CaptureWatcher::SteadyNow now)
    : config_(std::move(config)), onCapture_(std::move(onCapture)), onError_(std::move(onError)),
      onProgress_(std::move(onProgress)), chooseVideoFormat_(std::move(chooseVideoFormat)),
      now_(now ? std::move(now) : CaptureWatcher::SteadyNow(&std::chrono::steady_clock::now)),
      framer_(config_.framingSetup()) {}

CaptureWatcherState::~CaptureWatcherState() {
    queue.stop(SerialQueue::StopMode::cancel);
}

void CaptureWatcherState::setUp() {
    if (config_.assets.empty()) {
        throw AppError("Import a device frame to start capturing.");
    }
    folderLock_ = std::make_unique<CaptureFolderLock>(config_.input);
    createDirectories(config_.output);
    // What a killed run left where this one writes goes now, unless another
    // copy still writes there.
    claimTemporaryFolder(config_.output);
    claimTemporaryFolder(config_.journal.parent_path());
    if (config_.screenshotInbox) {
        claimTemporaryFolder(*config_.screenshotInbox, true);
    }
    if (!itemExists(config_.journal)) {
        for (const auto& candidate : listCaptureCandidates(config_.input, config_.allPNG)) {
            if (const auto stamp = FileStamp::ofEntry(candidate.path)) {
                handled_[candidate.path.string()] = *stamp;
            }
        }
        writeJournal();
    } else {
        handled_ = readCaptureJournal(config_.journal);
    }
    bool watching = false;
    queue.sync([&] {
        events_ = new QFileSystemWatcher;
        watching = events_->addPath(QString::fromStdString(config_.input.string()));
        if (!watching) {
            delete events_;
            events_ = nullptr;
            return;
        }
        const std::weak_ptr<CaptureWatcherState> weak = weak_from_this();
        QObject::connect(events_, &QFileSystemWatcher::directoryChanged, events_, [weak] {
            if (const auto self = weak.lock(); self && self->started_) {
                self->requestScan(kEventDelay);
            }
        });
        QObject::connect(events_, &QFileSystemWatcher::fileChanged, events_,
                         [weak](const QString& path) {
                             if (const auto self = weak.lock(); self && self->started_) {
                                 self->followedFileChanged(path.toStdString());
                             }
                         });
        finished_ =
            std::make_unique<FinishedCaptures>(config_.input, config_.finishedFileEvents, [weak] {
                if (const auto self = weak.lock()) {
                    self->collectFinished();
                }
            });
    });
    if (!watching) {
        folderLock_.reset();
        throw AppError("Cannot access the screenshot folder. Choose it again in Settings.");
    }
}

void CaptureWatcherState::start() {
    const std::weak_ptr<CaptureWatcherState> weak = weak_from_this();
    queue.async([weak] {
        const auto self = weak.lock();
        if (!self || self->stopped_ || self->started_) {
            return;
        }
        self->started_ = true;
        self->timer_ = self->queue.every(
            1000ms, 150ms,
            [weak] {
                if (const auto state = weak.lock()) {
                    state->scan();
                }
            },
            0ms);
    });
}

void CaptureWatcherState::stop() {
    exportControl.cancel();
    queue.sync([this] {
        if (stopped_) {
            return;
        }
        stopped_ = true;
        for (const auto timer : {timer_, settleTimer_, scanRequest_}) {
            if (timer) {
                queue.cancelTimer(*timer);
            }
        }
        timer_.reset();
        settleTimer_.reset();
        scanRequest_.reset();
        delete events_;
        events_ = nullptr;
        finished_.reset();
        folderLock_.reset();
        speculations_.clear();
    });
}

void CaptureWatcherState::requestScan(std::chrono::milliseconds delay) {
    if (stopped_) {
        return;
    }
    if (scanRequest_) {
        if (delay >= scanRequestDelay_) {
            return; // the scan asked for already comes as soon
        }
        queue.cancelTimer(*scanRequest_);
    }
    scanRequestDelay_ = delay;
    const std::weak_ptr<CaptureWatcherState> weak = weak_from_this();
    scanRequest_ = queue.after(delay, 5ms, [weak] {
        if (const auto self = weak.lock()) {
            self->scanRequest_.reset();
            self->scan();
        }
    });
}

void CaptureWatcherState::writeJournal() {
    writeCaptureJournal(handled_, config_.journal);
}

void CaptureWatcherState::scan() {
    if (stopped_) {
        return;
    }
    lastScan_ = now();
    if (finished_) {
        finished_->collect(lastScan_);
    }
    std::vector<CaptureCandidate> candidates;
    try {
        candidates = listCaptureCandidates(config_.input, config_.allPNG);
        lastError_.reset();
    } catch (const std::exception& error) {
        const std::string message = userDescription(error);
        if (message != lastError_) {
            lastError_ = message;
            if (onError_) {
                onError_(message);
            }
        }
        return;
    }

    std::set<std::string> present;
    for (const auto& candidate : candidates) {
        present.insert(candidate.path.string());
    }
    const auto gone = [&](const std::string& path) { return present.count(path) == 0; };
    std::erase_if(handled_, [&](const auto& entry) { return gone(entry.first); });
    std::erase_if(pending_, [&](const auto& entry) { return gone(entry.first); });
    std::erase_if(speculations_, [&](const auto& entry) { return gone(entry.first); });
    std::erase_if(videoChoices_, [&](const auto& entry) { return gone(entry.first); });
    if (finished_) {
        finished_->forgetAllBut([&](const std::string& path) { return !gone(path); });
    }
    std::erase_if(awaitingVideoChoice_, [&](const auto& entry) {
        return gone(entry.first) || FileStamp::ofEntry(entry.first) != entry.second;
    });

    for (const auto& candidate : candidates) {
        if (stopped_) {
            break;
        }
        const std::string path = candidate.path.string();
        const auto stamp = FileStamp::ofEntry(candidate.path);
        if (!stamp) {
            continue;
        }
        if (const auto done = handled_.find(path);
            done != handled_.end() && done->second == *stamp) {
            continue;
        }
        if (awaitingVideoChoice_.count(path) != 0) {
            continue;
        }
        const auto waiting = pending_.find(path);
        if (waiting == pending_.end() || waiting->second.stamp != *stamp) {
            pending_[path] = PendingFile{*stamp, now(), 0, candidate.isRecording};
            speculations_.erase(path);
            if (!isFinished(candidate, *stamp)) {
                continue;
            }
        } else if (now() - waiting->second.since < settlingTime(candidate.isRecording) &&
                   !isFinished(candidate, *stamp)) {
            continue;
        }
        if (exportControl.isCancelled()) {
            return;
        }
        try {
            processSettled(candidate, *stamp);
        } catch (const Cancelled&) {
            return;
        }
    }
    speculate();
    followPendingFiles();
    scheduleSettleScan();
}

void CaptureWatcherState::processSettled(const CaptureCandidate& candidate,
                                         const FileStamp& stamp) {
    const std::string path = candidate.path.string();
    std::optional<CaptureRecord> record;
    try {
        record = processCapture(candidate);
    } catch (const Cancelled&) {
        throw;
    } catch (const std::exception& error) {
        failedAttempt(candidate, stamp, userDescription(error));
        return;
    }
    if (!record) {
        return; // a recording waiting for its format
    }
    if (FileStamp::ofEntry(candidate.path) != stamp) {
        // Changed or vanished meanwhile: settle and process it again.
        pending_.erase(path);
        return;
    }
    handled_[path] = stamp;
    videoChoices_.erase(path);
    try {
        writeJournal();
    } catch (const std::exception& error) {
        // Not reported as framed until the journal holds it: the next attempt
        // finds the framed file and tries the journal again.
        handled_.erase(path);
        failedAttempt(candidate, stamp, userDescription(error));
        return;
    }
    pending_.erase(path);
    if (finished_) {
        finished_->forget(path); // a later change is a new version and waits again
    }
    if (onCapture_) {
        onCapture_(*record);
    }
}

void CaptureWatcherState::failedAttempt(const CaptureCandidate& candidate, const FileStamp& stamp,
                                        const std::string& message) {
    const std::string path = candidate.path.string();
    auto& entry = pending_[path];
    const int before = entry.attempts;
    entry.attempts = before + 1;
    if (before + 1 < kAttempts) {
        return; // the next scan tries again; `since` stays
    }
    handled_[path] = stamp;
    pending_.erase(path);
    try {
        writeJournal();
    } catch (const std::exception&) {
        // The file stays given up for this run; the message below is what counts.
    }
    if (onError_) {
        onError_(candidate.name + ": " + message);
    }
}

void CaptureWatcherState::followPendingFiles() {
    if (events_ == nullptr) {
        return;
    }
    // Pending files are watched themselves, so that their last write starts
    // the settling wait at once instead of at the next timer tick. Their
    // events only stamp the file again (followedFileChanged); the folder is
    // not listed for them.
    for (auto it = followedFiles_.begin(); it != followedFiles_.end();) {
        if (pending_.count(*it) == 0) {
            events_->removePath(QString::fromStdString(*it));
            it = followedFiles_.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& entry : pending_) {
        if (followedFiles_.count(entry.first) == 0 &&
            events_->addPath(QString::fromStdString(entry.first))) {
            followedFiles_.insert(entry.first);
        }
    }
}

void CaptureWatcherState::scheduleSettleScan() {
    if (!started_ || stopped_) {
        return;
    }
    if (settleTimer_) {
        queue.cancelTimer(*settleTimer_);
        settleTimer_.reset();
    }
    // Only files that settle after the last scan began need a scan of their
    // own. A file settled before then was seen settled by that scan, which
    // processed it, left it while its format question is open, or left it to
    // retry on the timer; scanning again at once would only list the folder.
    std::optional<TimePoint> due;
    for (const auto& [path, entry] : pending_) {
        auto settled = entry.since + settlingTime(entry.recording);
        if (const auto ready = finished_ ? finished_->readyAt(path, entry.stamp) : std::nullopt;
            ready && !entry.recording) {
            settled = std::min(settled, *ready);
        }
        const auto asked = awaitingVideoChoice_.find(path);
        const bool waitsForAnswer =
            asked != awaitingVideoChoice_.end() && asked->second == entry.stamp;
        if (entry.attempts == 0 && !waitsForAnswer && settled > lastScan_ &&
            (!due || settled < *due)) {
            due = settled;
        }
    }
    if (!due) {
        return;
    }
    // A little after the moment, so that the scan does not come a tick early;
    // at once when it is past already (framing ahead outlasted the wait).
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - now());
    const auto wait = left > 0ms ? left + 5ms : 0ms;
    const std::weak_ptr<CaptureWatcherState> weak = weak_from_this();
    settleTimer_ = queue.after(wait, 5ms, [weak] {
        if (const auto self = weak.lock()) {
            self->settleTimer_.reset();
            self->scan();
        }
    });
}

void CaptureWatcherState::followedFileChanged(const std::string& path) {
    if (stopped_) {
        return;
    }
    const auto stamp = FileStamp::ofEntry(path);
    if (!stamp) {
        // Removed or renamed: its watch ended with it, and the folder's own
        // event brings the scan that forgets it.
        if (events_ != nullptr) {
            events_->removePath(QString::fromStdString(path));
        }
        followedFiles_.erase(path);
        return;
    }
    const auto entry = pending_.find(path);
    if (entry == pending_.end() || entry->second.stamp == *stamp) {
        return;
    }
    // Written again: the settling wait starts over from this write.
    entry->second = PendingFile{*stamp, now(), 0, entry->second.recording};
    speculations_.erase(path);
    speculate();
    scheduleSettleScan();
}

void CaptureWatcherState::collectFinished() {
    if (stopped_ || !finished_) {
        return;
    }
    const auto paths = finished_->collect(now());
    if (!started_) {
        return; // noted for the next scan
    }
    bool unseen = false;
    for (const auto& path : paths) {
        const std::string name = std::filesystem::path(path).filename().string();
        if (pending_.count(path) == 0 && !name.starts_with('.') &&
            isCaptureName(name, config_.allPNG)) {
            // Closed or moved in before a scan saw it (the folder's own event
            // waits for a burst to end), or a handled screenshot written
            // again, which changes nothing in the folder's listing.
            const auto stamp = FileStamp::ofEntry(path);
            const auto done = handled_.find(path);
            unseen = unseen || (stamp && (done == handled_.end() || done->second != *stamp));
        }
        followedFileChanged(path); // a pending file's new stamp restarts its wait
    }
    if (unseen) {
        // Written whole: its framing can begin at once.
        requestScan(0ms);
    }
    scheduleSettleScan();
}

bool CaptureWatcherState::isFinished(const CaptureCandidate& candidate, const FileStamp& stamp) {
    return finished_ && !candidate.isRecording &&
           finished_->isReady(candidate.path.string(), stamp, now());
}

} // namespace cadrelle
