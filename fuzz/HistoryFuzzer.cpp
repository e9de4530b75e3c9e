// Feeds arbitrary bytes, as "history.json", to CaptureHistory::load, which
// turns any damage into an empty history and never throws. Whatever loads
// must survive remembering one more capture: the rewritten file reads back as
// the history held in memory.
#include "JsonFuzzing.h"

#include "capture/CaptureHistory.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace cadrelle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto file = fuzz::scratchFolder() / "history.json";
    fuzz::writeInput(file, data, size);
    auto history =
        fuzz::mustSucceed("loading the history", [] { return CaptureHistory::load(file); });

    const CaptureRecord next{"fuzz-next-capture", 1.5, "/captures/in.png", "/export/out.png",
                             "Frame \u00B7 Portrait"};
    const auto& records = history.records();
    if (std::any_of(records.begin(), records.end(),
                    [&](const CaptureRecord& record) { return record.id == next.id; })) {
        return 0;
    }
    if (const auto message = history.remember(next)) {
        fuzz::finding("remembering a capture failed: " + *message);
    }
    const auto again =
        fuzz::mustSucceed("loading the history", [] { return CaptureHistory::load(file); });
    if (again.records() != history.records() || history.records().front() != next ||
        history.records().size() > CaptureHistory::kLimit) {
        fuzz::finding("the rewritten history reads back differently");
    }
    return 0;
}
