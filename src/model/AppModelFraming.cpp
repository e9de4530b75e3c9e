// The application model's manual framing and frame import: files the user
// opens or drops are framed on the work queue, one at a time.
#include "AppModel.h"

#include "capture/CaptureNaming.h"
#include "capture/CaptureProgress.h"
#include "core/AppError.h"
#include "core/FileIO.h"

namespace cadrelle {

void AppModel::frameManually(const std::vector<std::filesystem::path>& files) {
    if (!preferences_.completedSetup) {
        setErrorMessage("Finish setup first, then use Open Captures to frame existing "
                        "screenshots and recordings.");
        return;
    }
    // Files that come while a job runs, or while its format question is
    // open, wait for their turn rather than being dropped.
    if (isWorking_) {
        waitingFiles_.push_back(files);
        return;
    }
    setWorking(true);
    frameBatch(files);
}

void AppModel::frameBatch(const std::vector<std::filesystem::path>& files) {
    std::vector<std::filesystem::path> recordings;
    std::vector<std::filesystem::path> others;
    for (const auto& file : files) {
        (isRecording(file) ? recordings : others).push_back(file);
    }
    if (recordings.empty()) {
        runManualFraming(files, VideoExportFormat::mp4);
        return;
    }
    videoFormats_->request(recordings, newUuidString(),
                           [this, files, others](std::optional<VideoExportFormat> format) {
                               if (format) {
                                   runManualFraming(files, *format);
                               } else {
                                   runManualFraming(others, VideoExportFormat::mp4);
                               }
                           });
}

void AppModel::finishWork() {
    if (!waitingFiles_.empty() && !shutDown_) {
        const std::vector<std::filesystem::path> next = std::move(waitingFiles_.front());
        waitingFiles_.pop_front();
        frameBatch(next);
        return;
    }
    waitingFiles_.clear();
    setWorking(false);
}

FramingSetup AppModel::framingSnapshot() const {
    FramingSetup setup;
    setup.library = library_;
    setup.assets = frames_;
    setup.selectedID = preferences_.selectedFrameID;
    setup.automaticallyMatch = preferences_.automaticallyMatch;
    setup.output = std::filesystem::path(preferences_.outputPath);
    if (preferences_.screenshotPreviewEnabled) {
        setup.screenshotInbox = inbox().directory();
    }
    return setup;
}

void AppModel::runManualFraming(std::vector<std::filesystem::path> files,
                                VideoExportFormat format) {
    if (files.empty() || shutDown_) {
        finishWork();
        return;
    }
    const CaptureExportControl control = lifetimeControl_.child();
    manualExportControl_ = control;
    auto framer = std::make_shared<CaptureFramer>(framingSnapshot());
    work_->async([this, files, format, control, framer] {
        for (const auto& file : files) {
            try {
                MatchedCapture capture =
                    framer->match(file, control, [this](const CaptureProgress& progress) {
                        const std::string text = progressText(progress);
                        mailbox_.post([this, text] { setExportStatus(text); });
                    });
                // Every manual run makes new files: outputs are named by a
                // new UUID, never by the capture's fingerprint.
                framer->identifyUniquely(capture);
                const CaptureRecord record =
                    framer
                        ->frame(capture, format, control,
                                [this](const CaptureProgress& progress) {
                                    const std::string text = progressText(progress);
                                    mailbox_.post([this, text] { setExportStatus(text); });
                                })
                        .record;
                mailbox_.post([this, record] { received(record); });
            } catch (const Cancelled&) {
                // Cancelled by the user or at shutdown: nothing to report.
            } catch (const std::exception& error) {
                const std::string message = userDescription(error);
                mailbox_.post([this, message] { setErrorMessage(message); });
            }
        }
        mailbox_.post([this] {
            setExportStatus(std::nullopt);
            manualExportControl_.reset();
            finishWork();
        });
    });
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
        if (files.empty()) {
            return;
        }
        setWorking(true);
        work_->async([this, files, library = library_] {
            try {
                auto frames = library.importFiles(files);
                mailbox_.post([this, frames] {
                    frames_ = frames;
                    emit framesChanged();
                    savePreferences(true);
                    finishWork();
                });
            } catch (const std::exception& error) {
                const std::string message = userDescription(error);
                mailbox_.post([this, message] {
                    setErrorMessage(message);
                    finishWork();
                });
            }
        });
    });
}

} // namespace cadrelle
