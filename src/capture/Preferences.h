#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace cadrelle {

// Every user setting, persisted as one JSON object in "settings.json".
struct Preferences {
    static constexpr std::int64_t kDefaultSimulatorTimeMinutes = 581; // 09:41

    std::string inputPath;
    std::string outputPath;
    // Folder bookmarks: on this platform the folder's path in UTF-8.
    std::optional<std::vector<std::uint8_t>> inputBookmark;
    std::optional<std::vector<std::uint8_t>> outputBookmark;
    std::optional<std::string> selectedFrameID;
    bool automaticallyMatch = true;
    bool previewAfterCapture = false;
    bool screenshotPreviewEnabled = true;
    bool showMenuBarIcon = false;
    bool allPNG = false;
    bool completedSetup = false;
    bool simulatorTimeEnabled = false;
    std::int64_t simulatorTimeMinutes = kDefaultSimulatorTimeMinutes;
    // The store image composition the cards' "Save Store Image" and the
    // settings' preview use.
    std::optional<std::string> storeCompositionPath;

    // The defaults; both folders are the user's Desktop folder.
    Preferences();

    // Reads "settings.json": a missing file gives the defaults; a read or
    // decoding error is thrown.
    static Preferences load(const std::filesystem::path& file);

    // Creates the file's folder if needed and writes the preferences
    // atomically; throws.
    void save(const std::filesystem::path& file) const;

    friend bool operator==(const Preferences&, const Preferences&) = default;
};

// Both walk the table of settings in PreferenceKeys.h.
// Encoding writes every key, the optional ones only when they hold a value.
void to_json(nlohmann::json& json, const Preferences& preferences);
// Lenient decoding: starts from the defaults and takes each key that is
// present. Optional keys are none when absent or null; an integer outside its
// key's range ("simulatorTimeMinutes": 0…1439) is ignored. A key of the wrong
// type throws AppError.
void from_json(const nlohmann::json& json, Preferences& preferences);

} // namespace cadrelle
