#include "ManualFraming.h"

#include "capture/CaptureNaming.h"
#include "capture/CaptureProgress.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "model/VideoFormatPrompter.h"

namespace cadrelle {

ManualFraming::ManualFraming(std::function<FramingSetup()> snapshot,
                             VideoFormatPrompter& videoFormats)
    : snapshot_(std::move(snapshot)), videoFormats_(videoFormats),
      work_(std::make_unique<SerialQueue>("lumivane.import")) {}

ManualFraming::~ManualFraming() {
    stop();
}

void ManualFraming::setWorking(bool working) {
    isWorking_ = working;
    emit isWorkingChanged();
}

void ManualFraming::setExportStatus(std::optional<std::string> status) {
    exportStatus_ = std::move(status);
    emit exportStatusChanged();
}

void ManualFraming::frame(const std::vector<std::filesystem::path>& files) {
    // Files that come while a job runs, or while its format question is
    // open, wait for their turn rather than being dropped.
    if (isWorking_) {
        waitingFiles_.push_back(files);
        return;
    }
    setWorking(true);
    frameBatch(files);
}

void ManualFraming::frameBatch(const std::vector<std::filesystem::path>& files) {
    std::vector<std::filesystem::path> recordings;
    std::vector<std::filesystem::path> others;
    for (const auto& file : files) {
        (isRecording(file) ? recordings : others).push_back(file);
    }
    if (recordings.empty()) {
        run(files, VideoExportFormat::mp4);
        return;
    }
    videoFormats_.request(recordings, newUuidString(),
                          [this, files, others](std::optional<VideoExportFormat> format) {
                              if (format) {
                                  run(files, *format);
                              } else {
                                  run(others, VideoExportFormat::mp4);
                              }
                          });
}

void ManualFraming::finishWork() {
    if (!waitingFiles_.empty() && !cancelled_) {
        const std::vector<std::filesystem::path> next = std::move(waitingFiles_.front());
        waitingFiles_.pop_front();
        frameBatch(next);
        return;
    }
    waitingFiles_.clear();
    setWorking(false);
}

void ManualFraming::run(std::vector<std::filesystem::path> files, VideoExportFormat format) {
    if (files.empty() || cancelled_) {
        finishWork();
        return;
    }
    const CaptureExportControl control = lifetimeControl_.child();
    manualExportControl_ = control;
    auto framer = std::make_shared<CaptureFramer>(snapshot_());
    const auto report = [this](const CaptureProgress& progress) {
        const std::string text = progressText(progress);
        mailbox_.post([this, text] { setExportStatus(text); });
    };
    work_->async([this, files, format, control, framer, report] {
        for (const auto& file : files) {
            try {
                MatchedCapture capture = framer->match(file, control, report);
                // Every manual run makes new files: outputs are named by a
                // new UUID, never by the capture's fingerprint.
                framer->identifyUniquely(capture);
                const CaptureRecord record = framer->frame(capture, format, control, report).record;
                mailbox_.post([this, record] { emit framed(record); });
            } catch (const Cancelled&) {
                // Cancelled by the user or at shutdown: nothing to report.
            } catch (const std::exception& error) {
                const std::string message = userDescription(error);
                mailbox_.post([this, message] { emit failed(message); });
            }
        }
        mailbox_.post([this] {
            setExportStatus(std::nullopt);
            manualExportControl_.reset();
            finishWork();
        });
    });
}

void ManualFraming::importFrames(const std::vector<std::filesystem::path>& files,
                                 const FrameLibrary& library) {
    setWorking(true);
    work_->async([this, files, library] {
        try {
            auto frames = library.importFiles(files);
            mailbox_.post([this, frames] {
                emit framesImported(frames);
                finishWork();
            });
        } catch (const std::exception& error) {
            const std::string message = userDescription(error);
            mailbox_.post([this, message] {
                emit failed(message);
                finishWork();
            });
        }
    });
}

void ManualFraming::cancel() {
    cancelled_ = true;
    lifetimeControl_.cancel();
}

void ManualFraming::stop() {
    cancel();
    work_->stop(SerialQueue::StopMode::drain);
}

void ManualFraming::waitForWork() {
    work_->sync([] {});
}

} // namespace cadrelle
