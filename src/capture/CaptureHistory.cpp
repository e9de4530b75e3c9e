#include "CaptureHistory.h"

#include "core/AppError.h"
#include "core/JsonSupport.h"

#include <algorithm>

namespace cadrelle {

CaptureHistory CaptureHistory::load(const std::filesystem::path& file) {
    CaptureHistory history(file);
    try {
        history.records_ = readJsonFile<std::vector<CaptureRecord>>(file, kMaxHistoryFileBytes);
    } catch (...) {
        history.records_.clear();
    }
    return history;
}

std::optional<std::string> CaptureHistory::remember(const CaptureRecord& record) {
    const bool known = std::any_of(records_.begin(), records_.end(),
                                   [&](const CaptureRecord& old) { return old.id == record.id; });
    if (!known) {
        records_.insert(records_.begin(), record);
    }
    if (records_.size() > kLimit) {
        records_.resize(kLimit);
    }
    try {
        const nlohmann::json json = records_;
        writeJsonFile(json, file_);
    } catch (const std::exception& error) {
        return "Capture saved, but history couldn't be updated: " + userDescription(error);
    }
    return std::nullopt;
}

} // namespace cadrelle
