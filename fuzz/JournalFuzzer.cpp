// Feeds arbitrary bytes, as a watcher's journal, to readCaptureJournal. A
// damaged journal must fail with an AppError naming the file; a journal that
// loads must be written and read again unchanged, as the watcher rewrites it
// after every capture.
#include "JsonFuzzing.h"

#include "capture/CaptureJournal.h"

#include <cstddef>
#include <cstdint>

using namespace cadrelle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto file = fuzz::scratchFolder() / "Journals" / "journal.json";
    fuzz::writeInput(file, data, size);
    const auto handled = fuzz::readOrReject([] { return readCaptureJournal(file); });
    if (!handled) {
        return 0;
    }
    fuzz::mustSucceed("writing the journal", [&] { writeCaptureJournal(*handled, file); });
    const auto again = fuzz::readOrReject([] { return readCaptureJournal(file); });
    if (!again || *again != *handled) {
        fuzz::finding("the rewritten journal reads back differently");
    }
    return 0;
}
