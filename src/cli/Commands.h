#pragma once

#include "cli/CommandLine.h"
#include "video/VideoExportFormat.h"

#include <exception>
#include <iosfwd>

namespace cadrelle {

// Each command runs synchronously, writes its result to `out` and throws on
// failure. Commands never touch the application's data directory.
void runInspectFrame(const CommandLine& line, std::ostream& out);
void runImportFrames(const CommandLine& line, std::ostream& out);
void runFrame(const CommandLine& line, std::ostream& out);
// Watches a capture folder until SIGINT or SIGTERM, printing each framed file.
void runWatch(const CommandLine& line, std::ostream& out);
void runFrameAll(const CommandLine& line, std::ostream& out);

// Thrown by a command that has already reported its failures on standard
// error: the process exits with status 1 and prints nothing more.
class FailuresReported : public std::exception {
public:
    const char* what() const noexcept override { return "Some captures could not be framed."; }
};

// The --video-format option (mp4 when absent); throws for an unknown name.
VideoExportFormat videoFormatOption(const CommandLine& line);

} // namespace cadrelle
