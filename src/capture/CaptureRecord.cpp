#include "CaptureRecord.h"

#include "capture/StoredPath.h"

#include <nlohmann/json.hpp>

namespace cadrelle {

void to_json(nlohmann::json& json, const CaptureRecord& record) {
    json = nlohmann::json{{"id", record.id},
                          {"date", record.date},
                          {"original", storedPath(record.original)},
                          {"output", storedPath(record.output)},
                          {"frame", record.frame}};
}

void from_json(const nlohmann::json& json, CaptureRecord& record) {
    json.at("id").get_to(record.id);
    json.at("date").get_to(record.date);
    record.original = pathFromStored(json.at("original").get<std::string>());
    record.output = pathFromStored(json.at("output").get<std::string>());
    json.at("frame").get_to(record.frame);
}

} // namespace cadrelle
