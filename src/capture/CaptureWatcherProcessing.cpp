#include "CaptureWatcherState.h"

#include "core/AppError.h"

namespace cadrelle {

namespace {

// How many screenshots are framed ahead while they settle. Each waits as a
// hidden file until it is published; a burst of captures is framed a few at
// a time instead of all at once.
constexpr std::size_t kFramedAhead = 4;

// Reports "no current work" on every way out of processing.
class ProgressReset {
public:
    explicit ProgressReset(const CaptureWatcher::OnProgress& progress) : progress_(progress) {}
    ~ProgressReset() {
        if (progress_) {
            progress_(std::nullopt);
        }
    }
    ProgressReset(const ProgressReset&) = delete;
    ProgressReset& operator=(const ProgressReset&) = delete;

private:
    const CaptureWatcher::OnProgress& progress_;
};

} // namespace

void CaptureWatcherState::speculate() {
    // The settling wait is mostly idle time: framing starts as soon as a
    // screenshot is seen, so that once it has kept its stamp for the whole
    // wait only the publication is left. Nothing is published, journaled or
    // reported here, and a failure says nothing: the settled attempt frames
    // the capture the ordinary way and reports what goes wrong then.
    for (auto& [path, entry] : pending_) {
        if (stopped_ || exportControl.isCancelled() || speculations_.size() >= kFramedAhead) {
            return;
        }
        if (entry.recording || entry.speculated || entry.attempts > 0) {
            continue;
        }
        entry.speculated = true;
        try {
            const CaptureExportControl job = exportControl.child();
            MatchedCapture matched = framer_.match(path, job);
            framer_.identify(matched, job);
            if (FileStamp::ofEntry(path) != entry.stamp) {
                continue;
            }
            StagedCapture staged = framer_.stage(matched, config_.videoFormat, job);
            if (FileStamp::ofEntry(path) == entry.stamp) {
                speculations_.insert_or_assign(path, Speculation{entry.stamp, std::move(staged)});
            }
        } catch (const std::exception&) {
            // Cancelled, or a capture not yet complete: nothing is kept.
        }
    }
}

std::optional<StagedCapture> CaptureWatcherState::takeSpeculation(const std::string& path,
                                                                  const FileStamp& stamp) {
    const auto found = speculations_.find(path);
    if (found == speculations_.end()) {
        return std::nullopt;
    }
    Speculation speculation = std::move(found->second);
    speculations_.erase(found);
    if (speculation.stamp != stamp) {
        return std::nullopt;
    }
    return std::move(speculation.staged);
}

std::optional<CaptureRecord>
CaptureWatcherState::processCapture(const CaptureCandidate& candidate) {
    const auto stamp = FileStamp::ofEntry(candidate.path);
    if (!stamp) {
        throw AppError("The capture is no longer available.");
    }
    const ProgressReset reset(onProgress_);
    return processWithStamp(candidate, *stamp);
}

std::optional<CaptureRecord>
CaptureWatcherState::processWithStamp(const CaptureCandidate& candidate, const FileStamp& stamp) {
    const CaptureExportControl job = exportControl.child();
    CaptureProgressHandler progress;
    if (onProgress_) {
        progress = [this](const CaptureProgress& step) { onProgress_(step); };
    }
    if (auto staged = takeSpeculation(candidate.path.string(), stamp)) {
        if (progress) {
            progress({candidate.path, CaptureProgress::Phase::preparing, 0});
        }
        if (FileStamp::ofEntry(candidate.path) != stamp) {
            throw AppError("The capture is still being saved.");
        }
        return framer_.publish(*staged, config_.videoFormat).record;
    }
    MatchedCapture matched = framer_.match(candidate.path, job, progress);
    framer_.identify(matched, job);
    if (FileStamp::ofEntry(candidate.path) != stamp) {
        throw AppError("The capture is still being saved.");
    }
    VideoExportFormat format = config_.videoFormat;
    if (matched.isRecording() && chooseVideoFormat_) {
        std::optional<CaptureRecord> existing;
        const auto chosen = recordingFormat(candidate, stamp, matched, existing);
        if (!chosen) {
            return existing;
        }
        format = *chosen;
    }
    return framer_.frame(matched, format, job, progress).record;
}

std::optional<VideoExportFormat>
CaptureWatcherState::recordingFormat(const CaptureCandidate& candidate, const FileStamp& stamp,
                                     const MatchedCapture& matched,
                                     std::optional<CaptureRecord>& existing) {
    const auto chosen = videoChoices_.find(candidate.path.string());
    if (chosen != videoChoices_.end() && chosen->second.stamp == stamp) {
        return chosen->second.format;
    }
    // A recording framed before in any format is not asked about again.
    for (const auto option : kAllVideoExportFormats) {
        if ((existing = framer_.existingOutput(matched, option))) {
            return std::nullopt;
        }
    }
    askForFormat(candidate, stamp);
    return std::nullopt;
}

void CaptureWatcherState::askForFormat(const CaptureCandidate& candidate, const FileStamp& stamp) {
    const std::string path = candidate.path.string();
    awaitingVideoChoice_[path] = stamp;
    const std::weak_ptr<CaptureWatcherState> weak = weak_from_this();
    chooseVideoFormat_(candidate.path,
                       [weak, path, stamp](std::optional<VideoExportFormat> format) {
                           const auto self = weak.lock();
                           if (!self) {
                               return;
                           }
                           self->queue.async([weak, path, stamp, format] {
                               if (const auto state = weak.lock()) {
                                   state->answerFormat(path, stamp, format);
                               }
                           });
                       });
}

void CaptureWatcherState::answerFormat(const std::string& path, const FileStamp& stamp,
                                       std::optional<VideoExportFormat> format) {
    if (stopped_) {
        return;
    }
    const auto open = awaitingVideoChoice_.find(path);
    if (open == awaitingVideoChoice_.end() || open->second != stamp ||
        FileStamp::ofEntry(path) != stamp) {
        return; // the file changed; it is settled and asked about again
    }
    awaitingVideoChoice_.erase(open);
    if (format) {
        videoChoices_[path] = VideoChoice{stamp, *format};
    } else {
        handled_[path] = stamp;
        pending_.erase(path);
        try {
            writeJournal();
        } catch (const std::exception&) {
            // Declined recordings stay handled for this run either way.
        }
    }
    scan();
}

} // namespace cadrelle
