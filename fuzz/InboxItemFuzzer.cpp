// Feeds arbitrary bytes, as a Quick Access item file "<id>.json", to
// ScreenshotInbox::item. A damaged item must fail with an AppError or a JSON
// error; an item that loads must be stored and read again unchanged, as every
// action on a card rewrites its item file.
#include "JsonFuzzing.h"

#include "capture/ScreenshotInbox.h"
#include "core/FileIO.h"

#include <cstddef>
#include <cstdint>

using namespace cadrelle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string id = "0123456789abcdef0123456789abcdef";
    static const ScreenshotInbox inbox(fuzz::scratchFolder() / "Screenshot Inbox");
    fuzz::writeInput(inbox.directory() / (id + ".json"), data, size);
    const auto item = fuzz::readOrReject([] { return inbox.item(id); });
    if (!item) {
        return 0;
    }
    if (!*item) {
        fuzz::finding("an existing item file was reported missing");
    }
    // store() names its file after the record's id. Only ids that cannot name
    // a path outside the scratch folder are handed to it here, so that a
    // regression cannot make the fuzzer write elsewhere on this machine.
    const auto& stored = **item;
    if (!isValidScreenshotID(stored.record.id)) {
        return 0;
    }
    fuzz::mustSucceed("storing the item", [&] { inbox.store(stored); });
    const auto again = fuzz::readOrReject([&] { return inbox.item(stored.record.id); });
    if (!again || *again != *item) {
        fuzz::finding("the stored item reads back differently");
    }
    if (stored.record.id != id) {
        removeQuietly(inbox.directory() / (stored.record.id + ".json"));
    }
    return 0;
}
