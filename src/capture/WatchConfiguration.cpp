#include "WatchConfiguration.h"

#include "core/Sha256.h"

namespace cadrelle {

FramingSetup WatchConfiguration::framingSetup() const {
    return FramingSetup{library, assets, selectedID, automaticallyMatch, output, screenshotInbox};
}

std::string journalFileName(const std::filesystem::path& resolvedInput,
                            const std::string& outputAsStored, bool allPNG) {
    Sha256 hash;
    hash.update(resolvedInput.string() + outputAsStored + (allPNG ? "true" : "false"));
    return hash.finishHex() + ".json";
}

} // namespace cadrelle
