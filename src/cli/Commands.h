#pragma once

#include "cli/CommandLine.h"
#include "video/VideoExportFormat.h"

#include <QtGlobal>

#include <exception>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

QT_BEGIN_NAMESPACE
class QCoreApplication;
QT_END_NAMESPACE

namespace cadrelle {

// Each command runs synchronously, writes its result to `out` and throws on
// failure. Commands never touch the application's data directory.
void runInspectFrame(const CommandLine& line, std::ostream& out);
void runImportFrames(const CommandLine& line, std::ostream& out);
void runFrame(const CommandLine& line, std::ostream& out);
// Watches a capture folder until SIGINT or SIGTERM, printing each framed file.
void runWatch(const CommandLine& line, std::ostream& out);
void runFrameAll(const CommandLine& line, std::ostream& out);
// Composes store images from a composition file.
void runCompose(const CommandLine& line, std::ostream& out);

// The application object for a command: a GUI one for compose, which draws
// text, from the compose module; a core one for every other command.
std::unique_ptr<QCoreApplication> makeCommandApplication(const std::vector<std::string>& arguments,
                                                         int& argc, char** argv);

// Thrown by a command that has already reported its failures on standard
// error: the process exits with status 1 and prints nothing more.
class FailuresReported : public std::exception {
public:
    const char* what() const noexcept override { return "Some captures could not be framed."; }
};

// The --video-format option (mp4 when absent); throws for an unknown name.
VideoExportFormat videoFormatOption(const CommandLine& line);

} // namespace cadrelle
