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
    if (value.is_null()) {
        throw DecodingError::missing();
    }
    if (!value.is_string()) {
        throw DecodingError::wrongFormat();
    }
    return value.get<std::string>();
}

Device decodeDevice(const nlohmann::json& json) {
    if (!json.is_object()) {
        throw DecodingError::wrongFormat();
    }
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
    if (json.is_discarded() || !json.is_object()) {
        throw DecodingError::wrongFormat();
    }
    const auto& runtimes = member(json, "devices");
    if (!runtimes.is_object()) {
        throw DecodingError::wrongFormat();
    }
    DeviceListing listing;
    for (const auto& [runtime, devices] : runtimes.items()) {
        if (!devices.is_array()) {
            throw DecodingError::wrongFormat();
        }
        auto& list = listing.devices[runtime];
        for (const auto& device : devices) {
            list.push_back(decodeDevice(device));
        }
    }
    return listing;
}

} // namespace cadrelle
