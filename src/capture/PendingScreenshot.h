#pragma once

#include "capture/CaptureRecord.h"

#include <string>

#include <nlohmann/json_fwd.hpp>

namespace cadrelle {

// A framed screenshot waiting in Quick Access, identified by `record.id`.
struct PendingScreenshot {
    enum class State { pending, saved, shared, deleted };

    // `output` is the current framed PNG: in the inbox while pending, in the
    // save folder once saved.
    CaptureRecord record;
    std::string frameID;
    // The export folder when the item was prepared; the default save folder.
    std::string destination;
    State state = State::pending;
    // Set once the framed image was opened for markup; never cleared.
    bool editorOpened = false;

    friend bool operator==(const PendingScreenshot&, const PendingScreenshot&) = default;
};

// "pending", "saved", "shared", "deleted".
std::string rawValue(PendingScreenshot::State state);

// The item file's object; every key is required and an unknown state fails.
// The destination is kept as StoredPath.h describes.
void to_json(nlohmann::json& json, const PendingScreenshot& item);
void from_json(const nlohmann::json& json, PendingScreenshot& item);

} // namespace cadrelle
