#include "cli/Commands.h"

#include "capture/CaptureWatcher.h"
#include "capture/WatchConfiguration.h"
#include "cli/ProgressLine.h"
#include "cli/StandardError.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/PostToThread.h"
#include "frames/FrameLibrary.h"
#include "frames/ShippedFrames.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <ostream>
#include <unistd.h>

namespace cadrelle {

namespace {

// The journals of the watch command live apart from the application's data,
// under $XDG_STATE_HOME (by default ~/.local/state).
std::filesystem::path journalDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    std::filesystem::path base;
    if (state != nullptr && std::filesystem::path(state).is_absolute()) {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home != nullptr ? home : "/") / ".local" / "state";
    }
    return base / "cadrelle" / "journals";
}

// Prints what the watcher reports, on the main thread. The watcher's
// callbacks run on its queue and post here; whatever is posted after this
// object is gone is dropped with it.
class WatchReport : public QObject {
public:
    explicit WatchReport(std::ostream& out) : out_(out) {}

    void framed(const std::string& output) {
        work_.clear();
        out_ << output << '\n' << std::flush;
    }
    void failed(const std::string& message) {
        work_.clear();
        writeStandardError("Error: " + message + "\n");
    }
    void working(const std::optional<CaptureProgress>& progress) {
        if (progress) {
            work_.show(progressText(*progress));
        } else {
            work_.clear();
        }
    }

private:
    std::ostream& out_;
    ProgressLine work_;
};

// Turns SIGINT and SIGTERM into a quit of the main event loop: the handler
// only writes a byte into a pipe, which a socket notifier reads on the main
// thread.
class StopSignals {
public:
    StopSignals() {
        if (::pipe2(descriptors_, O_CLOEXEC | O_NONBLOCK) != 0) {
            throw AppError("Couldn't prepare for stop signals.");
        }
        writeEnd_ = descriptors_[1];
        struct sigaction action {};
        action.sa_handler = &StopSignals::handle;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &previousInt_);
        ::sigaction(SIGTERM, &action, &previousTerm_);
        notifier_ = std::make_unique<QSocketNotifier>(descriptors_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [] { QCoreApplication::quit(); });
    }
    ~StopSignals() {
        notifier_.reset();
        ::sigaction(SIGINT, &previousInt_, nullptr);
        ::sigaction(SIGTERM, &previousTerm_, nullptr);
        writeEnd_ = -1;
        ::close(descriptors_[0]);
        ::close(descriptors_[1]);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    static void handle(int) {
        const char byte = 1;
        if (writeEnd_ >= 0) {
            const ssize_t ignored = ::write(writeEnd_, &byte, 1);
            (void)ignored;
        }
    }

    static inline volatile std::sig_atomic_t writeEnd_ = -1;
    int descriptors_[2] = {-1, -1};
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace

void runWatch(const CommandLine& line, std::ostream& out) {
    WatchConfiguration config;
    const WatchFolders folders = normalisedWatchFolders(filePath(line.required("--input")),
                                                        filePath(line.required("--output")));
    config.input = folders.input;
    config.output = folders.output;
    const auto library = line.optional("--library");
    config.library.directory =
        library ? std::filesystem::absolute(filePath(*library)) : shippedFramesDirectory();
    config.assets = config.library.load();
    config.selectedID = line.optional("--preferred");
    config.automaticallyMatch = true;
    config.allPNG = line.has("--all-png");
    config.videoFormat = videoFormatOption(line);
    config.journal =
        journalDirectory() / journalFileName(config.input, config.output.string(), config.allPNG);

    const StopSignals stopSignals;
    WatchReport report(out);
    WatchReport* const receiver = &report;

    CaptureWatcher watcher(
        config,
        [receiver](const CaptureRecord& record) {
            postToThreadOf(receiver,
                           [receiver, output = record.output] { receiver->framed(output); });
        },
        [receiver](const std::string& message) {
            postToThreadOf(receiver, [receiver, message] { receiver->failed(message); });
        },
        [receiver](const std::optional<CaptureProgress>& progress) {
            postToThreadOf(receiver, [receiver, progress] { receiver->working(progress); });
        });
    watcher.start();
    QCoreApplication::exec();
    // No callback runs after the stop, so the report outlives every post.
    watcher.stop();
    // Results reported just before the stop are still printed.
    QCoreApplication::sendPostedEvents();
    report.working(std::nullopt);
}

} // namespace cadrelle
