#include "cli/Commands.h"

#include "cli/ProgressLine.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/SerialQueue.h"
#include "frames/Compositor.h"
#include "frames/FrameLibrary.h"
#include "frames/LoadedFrame.h"
#include "frames/ShippedFrames.h"
#include "video/CaptureDimensions.h"
#include "video/CaptureNaming.h"
#include "video/RenderCapture.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <unistd.h>

namespace cadrelle {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCachedFrames = 3;

bool isRecording(const std::string& capture) {
    return lowercaseExtension(capture) == "mp4";
}

// One run of frame-all: the chosen library, the loaded frames shared by the
// workers, and the reporting of results, which several workers may do at once.
class BatchRun {
public:
    BatchRun(FrameLibrary library, std::optional<std::string> preferred, fs::path output,
             VideoExportFormat format, std::size_t total, std::ostream& out)
        : library_(std::move(library)), assets_(library_.load()), preferred_(std::move(preferred)),
          output_(std::move(output)), format_(format), total_(total), out_(out),
          progress_("Framing") {}

    // Frames one capture and reports the outcome; never throws.
    void frame(const std::string& capture) {
        try {
            frameOrThrow(capture);
        } catch (...) {
            reportFailure(capture, userDescription(std::current_exception()));
        }
    }

    bool anyFailed() const { return failures_ > 0; }

private:
    void frameOrThrow(const std::string& capture) {
        const fs::path input(capture);
        CaptureExportControl control;
        MeasuredCapture measured = measureCapture(input, control);
        const FrameAsset asset =
            selectFrame(measured.size, input.filename().string(), assets_, preferred_, true);
        note("Frame for " + capture + ": " + frameKey(asset) + "\n");
        const std::string fingerprint =
            captureFingerprint(fs::absolute(input).lexically_normal(), asset.id, control);
        const fs::path output =
            output_ / framedOutputName(input, captureIdentifier(input, fingerprint, format_),
                                       framedExtension(input, format_));
        if (fs::exists(output)) {
            finish(capture, output, false);
            return;
        }
        const std::shared_ptr<const LoadedFrame> frame = loadedFrame(asset);
        if (measured.screenshot) {
            // Decoded once, to choose the frame, and framed from memory.
            render(*measured.screenshot, output, *frame);
            measured.screenshot.reset();
            finish(capture, output, true);
            return;
        }
        renderCapture(input, output, *frame, control, format_, [this](double fraction) {
            std::lock_guard guard(lock_);
            progress_.show(countText() + " · " + std::to_string(static_cast<int>(fraction * 100)) +
                           "%");
        });
        finish(capture, output, true);
    }

    // Each frame is decoded once and shared by every worker that uses it.
    std::shared_ptr<const LoadedFrame> loadedFrame(const FrameAsset& asset) {
        {
            std::lock_guard guard(lock_);
            if (const auto found = frames_.find(asset.id); found != frames_.end()) {
                return found->second;
            }
        }
        auto frame = std::make_shared<const LoadedFrame>(asset, library_.directory / asset.file);
        std::lock_guard guard(lock_);
        // A few frames stay decoded; workers keep their own reference to the
        // one they use, so dropping the cache never pulls a frame from under them.
        if (frames_.size() >= kCachedFrames && frames_.count(asset.id) == 0) {
            frames_.clear();
        }
        return frames_.emplace(asset.id, std::move(frame)).first->second;
    }

    void finish(const std::string& capture, const fs::path& output, bool framed) {
        std::lock_guard guard(lock_);
        ++done_;
        progress_.clear();
        if (framed) {
            out_ << output.string() << '\n' << std::flush;
        } else {
            writeError("Already framed: " + capture + ": " + output.string() + "\n");
        }
        progress_.show(countText());
    }

    // A line of information on standard error, between progress updates.
    void note(const std::string& line) {
        std::lock_guard guard(lock_);
        progress_.clear();
        writeError(line);
        progress_.show(countText());
    }

    void reportFailure(const std::string& capture, const std::string& description) {
        std::lock_guard guard(lock_);
        ++done_;
        ++failures_;
        progress_.clear();
        writeError("Error: " + capture + ": " + description + "\n");
        progress_.show(countText());
    }

    std::string countText() const {
        return std::to_string(done_) + " of " + std::to_string(total_);
    }

    static void writeError(const std::string& text) {
        // One write per line, so lines of different workers never mix.
        const ssize_t ignored = ::write(STDERR_FILENO, text.data(), text.size());
        (void)ignored;
    }

    const FrameLibrary library_;
    const std::vector<FrameAsset> assets_;
    const std::optional<std::string> preferred_;
    const fs::path output_;
    const VideoExportFormat format_;
    const std::size_t total_;
    std::ostream& out_;

    std::mutex lock_; // guards everything below
    std::map<std::string, std::shared_ptr<const LoadedFrame>> frames_;
    ProgressLine progress_;
    std::size_t done_ = 0;
    std::size_t failures_ = 0;
};

// Frames the screenshots on one queue per core; each queue takes the next
// screenshot when it is free, so a slow one does not hold back the rest.
void frameInParallel(BatchRun& run, const std::vector<std::string>& screenshots) {
    const auto workers = std::min<std::size_t>(
        screenshots.size(), static_cast<std::size_t>(std::max(1, QThread::idealThreadCount())));
    std::atomic<std::size_t> next{0};
    std::vector<std::unique_ptr<SerialQueue>> queues;
    for (std::size_t i = 0; i < workers; ++i) {
        queues.push_back(std::make_unique<SerialQueue>("lumivane.frame-all." + std::to_string(i)));
        queues.back()->async([&run, &next, &screenshots] {
            for (std::size_t index = next++; index < screenshots.size(); index = next++) {
                run.frame(screenshots[index]);
            }
        });
    }
    for (const auto& queue : queues) {
        queue->stop(SerialQueue::StopMode::drain);
    }
}

} // namespace

void runFrameAll(const CommandLine& line, std::ostream& out) {
    const std::string& output = line.required("--output");
    const VideoExportFormat format = videoFormatOption(line);
    const auto libraryOption = line.optional("--library");
    // The library is only read: the shipped frames are used where they are.
    const FrameLibrary library{libraryOption ? filePath(*libraryOption) : shippedFramesDirectory()};

    std::vector<std::string> screenshots;
    std::vector<std::string> recordings;
    for (const std::string& capture : line.positionals) {
        (isRecording(capture) ? recordings : screenshots).push_back(capture);
    }
    BatchRun run(library, line.optional("--preferred"), filePath(output), format,
                 line.positionals.size(), out);
    frameInParallel(run, screenshots);
    // Recordings use several cores each while encoding: one at a time.
    for (const std::string& recording : recordings) {
        run.frame(recording);
    }
    if (run.anyFailed()) {
        throw FailuresReported();
    }
}

} // namespace cadrelle
