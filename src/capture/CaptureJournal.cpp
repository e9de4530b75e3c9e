#include "CaptureJournal.h"

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
        return json.get<HandledFiles>();
    } catch (const nlohmann::json::exception&) {
        throwJsonFileError(file);
    }
}

void writeCaptureJournal(const HandledFiles& handled, const std::filesystem::path& file) {
    const nlohmann::json json = handled;
    writeJsonFile(json, file);
}

} // namespace cadrelle
