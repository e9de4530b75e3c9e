#include "DeviceListing.h"

#include "DecodingError.h"

#include <nlohmann/json.hpp>

namespace cadrelle {

namespace {

const nlohmann::json& member(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) {
        throw DecodingError::missing();
    }
    return *found;
}

std::string text(const nlohmann::json& object, const char* key) {
    const auto& value = member(object, key);
    DecodingError::check(value.is_null(), value.is_string());
    return value.get<std::string>();
}

Device decodeDevice(const nlohmann::json& json) {
    DecodingError::check(json.is_null(), json.is_object());
    Device device{text(json, "udid"), text(json, "name"), text(json, "state"), std::nullopt};
    const auto available = json.find("isAvailable");
    if (available != json.end() && !available->is_null()) {
        if (!available->is_boolean()) {
            throw DecodingError::wrongFormat();
        }
        device.isAvailable = available->get<bool>();
    }
    return device;
}

} // namespace

DeviceListing DeviceListing::decode(const Bytes& bytes) {
    const auto json = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false);
    DecodingError::check(json.is_null(), !json.is_discarded() && json.is_object());
    const auto& runtimes = member(json, "devices");
    DecodingError::check(runtimes.is_null(), runtimes.is_object());
    DeviceListing listing;
    for (const auto& [runtime, devices] : runtimes.items()) {
        DecodingError::check(devices.is_null(), devices.is_array());
        auto& list = listing.devices[runtime];
        for (const auto& device : devices) {
            list.push_back(decodeDevice(device));
        }
    }
    return listing;
}

} // namespace cadrelle
