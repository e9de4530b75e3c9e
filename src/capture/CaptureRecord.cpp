#include "CaptureRecord.h"

#include <nlohmann/json.hpp>

namespace cadrelle {

void to_json(nlohmann::json& json, const CaptureRecord& record) {
    json = nlohmann::json{{"id", record.id},
                          {"date", record.date},
                          {"original", record.original},
                          {"output", record.output},
                          {"frame", record.frame}};
}

void from_json(const nlohmann::json& json, CaptureRecord& record) {
    json.at("id").get_to(record.id);
    json.at("date").get_to(record.date);
    json.at("original").get_to(record.original);
    json.at("output").get_to(record.output);
    json.at("frame").get_to(record.frame);
}

} // namespace cadrelle
