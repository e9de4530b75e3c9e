#include "cli/Commands.h"

#include "frames/FrameLibrary.h"

#include <ostream>

namespace cadrelle {

void runImportFrames(const CommandLine& line, std::ostream& out) {
    const FrameLibrary library{filePath(line.required("--library"))};
    std::vector<std::filesystem::path> files;
    for (const auto& positional : line.positionals) {
        files.push_back(filePath(positional));
    }
    const auto catalog = library.importFiles(files);
    out << "Imported library: " << catalog.size() << " frames\n";
}

} // namespace cadrelle
