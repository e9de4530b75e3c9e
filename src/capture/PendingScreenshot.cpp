#include "PendingScreenshot.h"

#include "capture/StoredPath.h"

#include <nlohmann/json.hpp>

#include <array>
#include <utility>

namespace cadrelle {

namespace {

constexpr std::array<std::pair<PendingScreenshot::State, const char*>, 4> kStates = {{
    {PendingScreenshot::State::pending, "pending"},
    {PendingScreenshot::State::saved, "saved"},
    {PendingScreenshot::State::shared, "shared"},
    {PendingScreenshot::State::deleted, "deleted"},
}};

} // namespace

std::string rawValue(PendingScreenshot::State state) {
    for (const auto& [value, text] : kStates) {
        if (value == state) {
            return text;
        }
    }
    return "pending";
}

void to_json(nlohmann::json& json, const PendingScreenshot& item) {
    json = nlohmann::json{{"record", item.record},
                          {"frameID", item.frameID},
                          {"destination", storedPath(item.destination)},
                          {"state", rawValue(item.state)},
                          {"editorOpened", item.editorOpened}};
}

void from_json(const nlohmann::json& json, PendingScreenshot& item) {
    json.at("record").get_to(item.record);
    json.at("frameID").get_to(item.frameID);
    item.destination = pathFromStored(json.at("destination").get<std::string>());
    const auto text = json.at("state").get<std::string>();
    bool known = false;
    for (const auto& [value, name] : kStates) {
        if (text == name) {
            item.state = value;
            known = true;
        }
    }
    if (!known) {
        throw nlohmann::json::other_error::create(501, "Unknown screenshot state \"" + text + "\".",
                                                  &json);
    }
    json.at("editorOpened").get_to(item.editorOpened);
}

} // namespace cadrelle
