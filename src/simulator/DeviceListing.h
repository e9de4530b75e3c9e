#pragma once

#include "core/FileIO.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// One simulator in the output of `simctl list devices --json`.
struct Device {
    std::string udid;
    std::string name;
    std::string state;
    // Absent in the listing means unknown.
    std::optional<bool> isAvailable;

    friend bool operator==(const Device&, const Device&) = default;
};

// The whole listing: runtime identifier to the simulators of that runtime, in
// listing order. Keys other than the ones named here are ignored.
struct DeviceListing {
    std::map<std::string, std::vector<Device>> devices;

    // Throws DecodingError for undecodable JSON, a missing "devices" object or
    // a device without "udid", "name" or "state".
    static DeviceListing decode(const Bytes& json);
};

} // namespace cadrelle
