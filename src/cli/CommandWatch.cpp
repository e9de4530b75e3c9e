#include "cli/Commands.h"

#include "capture/CaptureWatcher.h"
#include "capture/WatchConfiguration.h"
#include "cli/CaptureResult.h"
#include "cli/JsonLineWriter.h"
#include "cli/ProgressLine.h"
#include "core/ClosureMailbox.h"
#include "core/FileIO.h"
#include "core/PrivateFolder.h"
#include "core/StandardError.h"
#include "core/StopSignals.h"
#include "frames/FrameLibrary.h"
#include "frames/ShippedFrames.h"

#include <QCoreApplication>

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

namespace cadrelle {

namespace {

// The journals of the watch command live apart from the application's data,
// in the private state folder (by default ~/.local/state/cadrelle).
std::filesystem::path journalDirectory() {
    return privateStateFolder() / "journals";
}

// Prints what the watcher reports, on the main thread: each framed file's
// path, or its JSON line with `json`. The watcher's callbacks run on its
// queue and post here; whatever is posted after this object is gone is
// dropped with it.
class WatchReport : public ClosureMailbox {
public:
    WatchReport(std::ostream& out, bool json) : out_(out) {
        if (json) {
            json_.emplace(out);
        }
    }

    void framed(const CaptureRecord& record) {
        work_.clear();
        if (json_) {
            json_->write(CaptureResult{record.original, record.output, record.frame,
                                       CaptureResult::Status::framed, std::nullopt});
        } else {
            out_ << record.output << '\n' << std::flush;
        }
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
    std::optional<JsonLineWriter> json_;
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
    WatchReport report(out, line.has("--json"));
    WatchReport* const receiver = &report;

    CaptureWatcher watcher(
        config,
        [receiver](const CaptureRecord& record) {
            receiver->post([receiver, record] { receiver->framed(record); });
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
