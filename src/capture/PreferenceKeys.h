#pragma once

#include "capture/Preferences.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cadrelle {

// One persisted setting: its key in "settings.json", the member of
// Preferences that holds it and the values reading accepts. The member's type
// says how the value is stored:
//   std::string                            a JSON string
//   bool                                   a JSON boolean
//   std::int64_t                           a JSON integer; one outside
//                                          [minimum, maximum] is ignored
//   std::optional<std::string>             a string, written only when set
//   std::optional<std::vector<uint8_t>>    bytes as a Base64 string, written
//                                          only when set
// The default of each setting is its member's value in a default-constructed
// Preferences.
struct PreferenceKey {
    using Field =
        std::variant<std::string Preferences::*, bool Preferences::*, std::int64_t Preferences::*,
                     std::optional<std::string> Preferences::*,
                     std::optional<std::vector<std::uint8_t>> Preferences::*>;

    std::string_view name;
    Field field;
    std::int64_t minimum = std::numeric_limits<std::int64_t>::min();
    std::int64_t maximum = std::numeric_limits<std::int64_t>::max();
};

// Every setting, in the order they are written. Encoding and decoding walk
// this table; a settings window can walk it too.
inline constexpr std::array kPreferenceKeys{
    PreferenceKey{"inputPath", &Preferences::inputPath},
    PreferenceKey{"outputPath", &Preferences::outputPath},
    PreferenceKey{"inputBookmark", &Preferences::inputBookmark},
    PreferenceKey{"outputBookmark", &Preferences::outputBookmark},
    PreferenceKey{"selectedFrameID", &Preferences::selectedFrameID},
    PreferenceKey{"automaticallyMatch", &Preferences::automaticallyMatch},
    PreferenceKey{"previewAfterCapture", &Preferences::previewAfterCapture},
    PreferenceKey{"screenshotPreviewEnabled", &Preferences::screenshotPreviewEnabled},
    PreferenceKey{"showMenuBarIcon", &Preferences::showMenuBarIcon},
    PreferenceKey{"allPNG", &Preferences::allPNG},
    PreferenceKey{"completedSetup", &Preferences::completedSetup},
    PreferenceKey{"simulatorTimeEnabled", &Preferences::simulatorTimeEnabled},
    // Minutes after midnight of the simulator clock.
    PreferenceKey{"simulatorTimeMinutes", &Preferences::simulatorTimeMinutes, 0, 1439},
    PreferenceKey{"storeCompositionPath", &Preferences::storeCompositionPath},
};

} // namespace cadrelle
