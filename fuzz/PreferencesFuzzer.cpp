// Feeds arbitrary bytes, as "settings.json", to Preferences::load. A damaged
// file must fail with an AppError; settings that load must save and load
// again unchanged, as the application rewrites them at every launch.
#include "JsonFuzzing.h"

#include "capture/Preferences.h"

#include <cstddef>
#include <cstdint>

using namespace cadrelle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto file = fuzz::scratchFolder() / "settings.json";
    fuzz::writeInput(file, data, size);
    const auto loaded = fuzz::readOrReject([] { return Preferences::load(file); });
    if (!loaded) {
        return 0;
    }
    fuzz::mustSucceed("saving the settings", [&] { loaded->save(file); });
    const auto again = fuzz::readOrReject([] { return Preferences::load(file); });
    if (!again || *again != *loaded) {
        fuzz::finding("the saved settings read back differently");
    }
    return 0;
}
