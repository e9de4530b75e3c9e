#include "CaptureJournal.h"

#include "capture/StoredPath.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/JsonSupport.h"

namespace cadrelle {

HandledFiles readCaptureJournal(const std::filesystem::path& file) {
    const auto bytes = readFile(file, kMaxJournalFileBytes);
    try {
        const auto json = nlohmann::json::parse(bytes.begin(), bytes.end());
        if (!json.is_object()) {
            throw AppError(file.string() + ": The journal is not a JSON object.");
        }
        HandledFiles handled;
        for (const auto& [key, stamp] : json.items()) {
            handled[pathFromStored(key)] = stamp.get<FileStamp>();
        }
        return handled;
    } catch (const nlohmann::json::exception&) {
        throwJsonFileError(file);
    }
}

void writeCaptureJournal(const HandledFiles& handled, const std::filesystem::path& file) {
    auto json = nlohmann::json::object();
    for (const auto& [path, stamp] : handled) {
        json[storedPath(path)] = stamp;
    }
    writeJsonFile(json, file);
}

} // namespace cadrelle
