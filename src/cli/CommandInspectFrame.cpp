#include "cli/Commands.h"

#include "frames/FrameAsset.h"
#include "frames/InspectFrame.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace cadrelle {

void runInspectFrame(const CommandLine& line, std::ostream& out) {
    const FrameAsset asset = inspectFrame(filePath(line.required("--input")));
    // nlohmann::json keeps object keys sorted.
    const nlohmann::json json = asset;
    out << json.dump(2) << '\n';
}

} // namespace cadrelle
