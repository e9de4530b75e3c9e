#include "Cli.h"

#include "cli/Commands.h"
#include "core/AppError.h"
#include "core/FileError.h"
#include "core/StandardError.h"
#include "core/StopSignals.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>

namespace cadrelle {

namespace {

using Command = std::function<void(const CommandLine&, std::ostream&)>;

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"compose", runCompose},
        {"frame", runFrame},
        {"frame-all", runFrameAll},
        {"inspect-frame", runInspectFrame},
        {"import-frames", runImportFrames},
        {"watch", runWatch},
    };
    return table;
}

// Flushes standard output. A write that failed on the way (a full disk, a
// closed pipe) means the user did not get the result: that is a failure.
void finishStandardOutput() {
    errno = 0;
    std::cout.flush();
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0 || !std::cout) {
        // An earlier failed write may have left no error number behind.
        throw FileError("standard output", errno != 0 ? errno : EIO);
    }
}

} // namespace

std::string usageText() {
    return "Cadrelle\n"
           "Run cadrelle app, or open Cadrelle from your applications menu, to set up folders and "
           "capture automatically.\n"
           "frame --input SCREENSHOT_PNG_OR_RECORDING_MP4 --frame FRAME_PNG --output DESTINATION\n"
           "      [--video-format mp4|hevc-alpha|prores-4444]\n"
           "inspect-frame --input FRAME_PNG\n"
           "import-frames --library DIRECTORY FRAME_PNG ...\n"
           "app [--background] [--data-dir DIRECTORY (development only)]";
}

void cli(const std::vector<std::string>& arguments, std::ostream& out) {
    const CommandLine line = CommandLine::parse(arguments);
    const auto found = commands().find(line.command);
    if (found == commands().end()) {
        out << usageText() << '\n';
        return;
    }
    found->second(line, out);
}

int runProcess(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments.front() == "app") {
        writeStandardError("The background application is not part of this build yet.\n");
        return 1;
    }
    // Commands that work on several threads use queues with Qt event loops,
    // which need an application object.
    static int argc = 1;
    static char name[] = "cadrelle";
    static char* argv[] = {name, nullptr};
    const auto application = makeCommandApplication(arguments, argc, argv);
    try {
        cli(arguments, std::cout);
        finishStandardOutput();
        return 0;
    } catch (const FailuresReported&) {
        // Each failure was reported as it happened.
    } catch (const StoppedBySignal& stopped) {
        // Ctrl-C or SIGTERM: the work was cancelled and left nothing behind.
        return stopped.exitStatus();
    } catch (const std::exception& error) {
        writeStandardError("Error: " + userDescription(error) + "\n");
    } catch (...) {
        writeStandardError("Error: " + userDescription(std::current_exception()) + "\n");
    }
    return 1;
}

} // namespace cadrelle
