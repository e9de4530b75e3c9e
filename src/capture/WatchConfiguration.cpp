#include "WatchConfiguration.h"

#include "core/Sha256.h"

namespace cadrelle {

std::string journalFileName(const std::filesystem::path& resolvedInput,
                            const std::string& outputAsStored, bool allPNG) {
    Sha256 hash;
    hash.update(resolvedInput.string() + outputAsStored + (allPNG ? "true" : "false"));
    return hash.finishHex() + ".json";
}

} // namespace cadrelle
