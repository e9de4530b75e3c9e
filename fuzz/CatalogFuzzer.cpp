// Feeds arbitrary bytes, as a frame library's "catalog.json", to
// FrameLibrary::load. A damaged catalog must fail with an AppError or a JSON
// error; a catalog that loads names only plain files in its folder, and
// rewriting it the way an import does (sorted by frame key) keeps every
// record.
#include "JsonFuzzing.h"

#include "frames/FrameLibrary.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace cadrelle;

namespace {

// Whether both lists hold the same records, in any order. Records are
// compared whole: a damaged catalog may repeat an id with other values.
bool sameRecords(const std::vector<FrameAsset>& a, const std::vector<FrameAsset>& b) {
    const auto texts = [](const std::vector<FrameAsset>& frames) {
        std::vector<std::string> result;
        for (const auto& frame : frames) {
            result.push_back(nlohmann::json(frame).dump());
        }
        std::sort(result.begin(), result.end());
        return result;
    };
    return texts(a) == texts(b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FrameLibrary library{fuzz::scratchFolder() / "Frames"};
    fuzz::writeInput(library.directory / "catalog.json", data, size);
    const auto frames = fuzz::readOrReject([] { return library.load(); });
    if (!frames) {
        return 0;
    }
    for (const auto& frame : *frames) {
        if (frame.file.empty() || frame.file.find('/') != std::string::npos ||
            frame.file[0] == '.') {
            fuzz::finding("the catalog names a file outside its folder: " + frame.file);
        }
    }
    // Importing no new files rewrites the whole catalog in sorted order.
    const auto sorted =
        fuzz::mustSucceed("rewriting the catalog", [] { return library.importFiles({}); });
    const auto again = fuzz::readOrReject([] { return library.load(); });
    if (!again || *again != sorted || !sameRecords(sorted, *frames)) {
        fuzz::finding("the rewritten catalog reads back differently");
    }
    return 0;
}
