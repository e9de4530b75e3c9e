#include "cli/Commands.h"

#include "capture/CaptureWatcher.h"
#include "capture/WatchConfiguration.h"
#include "core/AppError.h"
#include "core/ClosureMailbox.h"
#include "core/FileIO.h"
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

void writeError(const std::string& text) {
    const ssize_t ignored = ::write(STDERR_FILENO, text.data(), text.size());
    (void)ignored;
}

// One line of current work on standard error, drawn only on a terminal.
class WorkLine {
public:
    void show(const std::optional<std::string>& text) {
        if (!enabled_) {
            return;
        }
        if (text) {
            writeError("\r\033[K" + *text);
            visible_ = true;
        } else {
            clear();
        }
    }
    void clear() {
        if (visible_) {
            writeError("\r\033[K");
            visible_ = false;
        }
    }

private:
    bool enabled_ = ::isatty(STDERR_FILENO) == 1;
    bool visible_ = false;
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

// Runs a closure on the main thread.
template <typename Work> void onMainThread(Work work) {
    postToMainThread(std::move(work));
}

} // namespace

void runWatch(const CommandLine& line, std::ostream& out) {
    WatchConfiguration config;
    config.input = resolvedPath(filePath(line.required("--input")));
    config.output = std::filesystem::absolute(filePath(line.required("--output")));
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
    auto work = std::make_shared<WorkLine>();

    CaptureWatcher watcher(
        config,
        [&out, work](const CaptureRecord& record) {
            onMainThread([&out, work, path = record.output] {
                work->clear();
                out << path << '\n' << std::flush;
            });
        },
        [work](const std::string& message) {
            onMainThread([work, message] {
                work->clear();
                writeError("Error: " + message + "\n");
            });
        },
        [work](const std::optional<std::string>& text) {
            onMainThread([work, text] { work->show(text); });
        });
    watcher.start();
    QCoreApplication::exec();
    watcher.stop();
    // Results reported just before the stop are still printed.
    QCoreApplication::sendPostedEvents();
    work->clear();
}

} // namespace cadrelle
