#include "CaptureResult.h"

#include "capture/StoredPath.h"

#include <nlohmann/json.hpp>

namespace cadrelle {

namespace {

nlohmann::json orNull(const std::optional<std::string>& text) {
    return text ? nlohmann::json(*text) : nlohmann::json(nullptr);
}

const char* statusName(CaptureResult::Status status) {
    switch (status) {
    case CaptureResult::Status::framed:
        return "framed";
    case CaptureResult::Status::alreadyFramed:
        return "already-framed";
    case CaptureResult::Status::failed:
        break;
    }
    return "failed";
}

} // namespace

void to_json(nlohmann::json& json, const CaptureResult& result) {
    json = nlohmann::json{
        {"input", storedPath(result.input)},
        {"output", result.output ? nlohmann::json(storedPath(*result.output)) : nullptr},
        {"frame", orNull(result.frame)},
        {"status", statusName(result.status)},
        {"error", orNull(result.error)},
    };
}

} // namespace cadrelle
