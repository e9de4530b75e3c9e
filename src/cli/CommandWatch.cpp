#include "cli/Commands.h"

#include "capture/CaptureWatcher.h"
#include "capture/WatchConfiguration.h"
#include "cli/ProgressLine.h"
#include "core/ClosureMailbox.h"
#include "core/FileIO.h"
#include "core/PrivateFolder.h"
#include "core/StandardError.h"
#include "core/StopSignals.h"
#include "frames/FrameLibrary.h"
#include "frames/ShippedFrames.h"

#include <QCoreApplication>

#include <ostream>

namespace cadrelle {

namespace {

// The journals of the watch command live apart from the application's data,
// in the private state folder (by default ~/.local/state/cadrelle).
std::filesystem::path journalDirectory() {
    return privateStateFolder() / "journals";
}

// Prints what the watcher reports, on the main thread. The watcher's
// callbacks run on its queue and post here; whatever is posted after this
// object is gone is dropped with it.
class WatchReport : public ClosureMailbox {
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
            receiver->post([receiver, output = record.output] { receiver->framed(output); });
        },
        [receiver](const std::string& message) {
            receiver->post([receiver, message] { receiver->failed(message); });
        },
        [receiver](const std::optional<CaptureProgress>& progress) {
            receiver->post([receiver, progress] { receiver->working(progress); });
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
