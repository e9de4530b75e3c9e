#pragma once

#include <string>

#include <nlohmann/json_fwd.hpp>

namespace cadrelle {

// One framed capture, as kept in the capture history and in each pending
// Quick Access item.
struct CaptureRecord {
    // The capture's fingerprint (the format's own one for MOV recordings).
    std::string id;
    // When the framed output was produced or found, in seconds since
    // 2001-01-01 00:00:00 UTC.
    double date = 0;
    std::string original;
    std::string output;
    // The frame's label: its name, " · ", then "Landscape" or "Portrait".
    std::string frame;

    friend bool operator==(const CaptureRecord&, const CaptureRecord&) = default;
};

// All five keys are required when decoding. The two paths are kept as
// StoredPath.h describes.
void to_json(nlohmann::json& json, const CaptureRecord& record);
void from_json(const nlohmann::json& json, CaptureRecord& record);

} // namespace cadrelle
