#include "Cli.h"

#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "core/AppError.h"
#include "core/FileError.h"
#include "core/PrivateFolder.h"
#include "core/StandardError.h"
#include "core/StopSignals.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <iostream>

namespace cadrelle {

namespace {

// The commands the fixed first lines of the usage text describe.
constexpr std::array<std::string_view, 4> kFirstCommands = {"frame", "inspect-frame",
                                                            "import-frames", "app"};

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
    std::string text =
        "Cadrelle\n"
        "Run cadrelle app, or open Cadrelle from your applications menu, to set up folders and "
        "capture automatically.\n"
        "frame --input SCREENSHOT_PNG_OR_RECORDING_MP4 --frame FRAME_PNG --output DESTINATION\n"
        "      [--video-format mp4|hevc-alpha|prores-4444]\n"
        "inspect-frame --input FRAME_PNG\n"
        "import-frames --library DIRECTORY FRAME_PNG ...\n"
        "app [--background] [--data-dir DIRECTORY (development only)]\n";
    for (const CommandDescription& command : commandTable()) {
        if (std::ranges::find(kFirstCommands, command.name) == kFirstCommands.end()) {
            text += command.synopsis() + "\n";
        }
    }
    return text + "Run cadrelle COMMAND --help for its options, or cadrelle --version.";
}

bool asksForHelp(const std::vector<std::string>& arguments) {
    const CommandDescription* command = arguments.empty() ? nullptr : findCommand(arguments[0]);
    if (command == nullptr) {
        return false;
    }
    try {
        return CommandLine::parse(arguments, command).helpRequested;
    } catch (const AppError&) {
        return false; // the command reports its own mistakes
    }
}

void cli(const std::vector<std::string>& arguments, std::ostream& out,
         const BuildInformation& information) {
    if (!arguments.empty() && (arguments[0] == "--version" || arguments[0] == "-V")) {
        out << "cadrelle " << information.version << '\n';
        return;
    }
    const CommandDescription* command = arguments.empty() ? nullptr : findCommand(arguments[0]);
    const CommandLine line = CommandLine::parse(arguments, command);
    if (command == nullptr && line.command == "help" && !line.positionals.empty()) {
        // "help COMMAND" is "COMMAND --help".
        command = findCommand(line.positionals.front());
        if (command != nullptr) {
            out << command->help();
            return;
        }
    }
    if (command != nullptr && line.helpRequested) {
        out << command->help();
    } else if (command != nullptr && command->run) {
        command->run(line, out);
    } else {
        out << usageText() << '\n';
    }
}

int runProcess(const std::vector<std::string>& arguments, const BuildInformation& information) {
    // A program built without the widgets has no desktop application.
    if (arguments.empty() || (arguments.front() == "app" && !asksForHelp(arguments))) {
        writeStandardError("Error: This build of Cadrelle has no desktop application.\n");
        return 1;
    }
    // Commands that work on several threads use queues with Qt event loops,
    // which need an application object.
    static int argc = 1;
    static char name[] = "cadrelle";
    static char* argv[] = {name, nullptr};
    const auto application = makeCommandApplication(arguments, argc, argv);
    try {
        // What a command writes into the application's data folder (a frame
        // library there, say) stays as private as the rest of it.
        registerPrivateFolder(defaultDataFolder());
        cli(arguments, std::cout, information);
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
