#pragma once

#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace cadrelle {

// What became of one capture a command worked on, as scripts read it.
struct CaptureResult {
    enum class Status { framed, alreadyFramed, failed };

    std::string input;                 // the capture as the user named it
    std::optional<std::string> output; // none when nothing was written or found
    std::optional<std::string> frame;  // the frame's label, once one was chosen
    Status status = Status::framed;
    std::optional<std::string> error; // the sentence the user is shown
};

// An object with "input", "output", "frame", "status" ("framed",
// "already-framed" or "failed") and "error"; absent values are null. Paths
// are kept as StoredPath.h describes, so one that is not UTF-8 survives.
void to_json(nlohmann::json& json, const CaptureResult& result);

} // namespace cadrelle
