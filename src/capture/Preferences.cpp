#include "Preferences.h"

#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/JsonSupport.h"

#include <QStandardPaths>

#include <system_error>

namespace cadrelle {

namespace {

std::string desktopPath() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString();
}

[[noreturn]] void wrongType(const char* key) {
    throw AppError(std::string("The setting \"") + key + "\" has a value of the wrong type.");
}

void readString(const nlohmann::json& json, const char* key, std::string& field) {
    const auto found = json.find(key);
    if (found == json.end()) {
        return;
    }
    if (!found->is_string()) {
        wrongType(key);
    }
    field = found->get<std::string>();
}

void readBool(const nlohmann::json& json, const char* key, bool& field) {
    const auto found = json.find(key);
    if (found == json.end()) {
        return;
    }
    if (!found->is_boolean()) {
        wrongType(key);
    }
    field = found->get<bool>();
}

// Optional keys: absent or null leaves the field empty.
std::optional<std::string> optionalString(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    if (found == json.end() || found->is_null()) {
        return std::nullopt;
    }
    if (!found->is_string()) {
        wrongType(key);
    }
    return found->get<std::string>();
}

void readBookmark(const nlohmann::json& json, const char* key,
                  std::optional<std::vector<std::uint8_t>>& field) {
    const auto text = optionalString(json, key);
    if (!text) {
        return;
    }
    try {
        field = base64Decode(*text);
    } catch (const std::invalid_argument&) {
        wrongType(key);
    }
}

} // namespace

Preferences::Preferences() : inputPath(desktopPath()), outputPath(desktopPath()) {}

void to_json(nlohmann::json& json, const Preferences& preferences) {
    json = nlohmann::json::object();
    json["inputPath"] = preferences.inputPath;
    json["outputPath"] = preferences.outputPath;
    if (preferences.inputBookmark) {
        json["inputBookmark"] = base64Encode(*preferences.inputBookmark);
    }
    if (preferences.outputBookmark) {
        json["outputBookmark"] = base64Encode(*preferences.outputBookmark);
    }
    if (preferences.selectedFrameID) {
        json["selectedFrameID"] = *preferences.selectedFrameID;
    }
    json["automaticallyMatch"] = preferences.automaticallyMatch;
    json["previewAfterCapture"] = preferences.previewAfterCapture;
    json["screenshotPreviewEnabled"] = preferences.screenshotPreviewEnabled;
    json["showMenuBarIcon"] = preferences.showMenuBarIcon;
    json["allPNG"] = preferences.allPNG;
    json["completedSetup"] = preferences.completedSetup;
    json["simulatorTimeEnabled"] = preferences.simulatorTimeEnabled;
    json["simulatorTimeMinutes"] = preferences.simulatorTimeMinutes;
}

void from_json(const nlohmann::json& json, Preferences& preferences) {
    if (!json.is_object()) {
        throw AppError("The settings are not a JSON object.");
    }
    Preferences result;
    readString(json, "inputPath", result.inputPath);
    readString(json, "outputPath", result.outputPath);
    readBookmark(json, "inputBookmark", result.inputBookmark);
    readBookmark(json, "outputBookmark", result.outputBookmark);
    result.selectedFrameID = optionalString(json, "selectedFrameID");
    readBool(json, "automaticallyMatch", result.automaticallyMatch);
    readBool(json, "previewAfterCapture", result.previewAfterCapture);
    readBool(json, "screenshotPreviewEnabled", result.screenshotPreviewEnabled);
    readBool(json, "showMenuBarIcon", result.showMenuBarIcon);
    readBool(json, "allPNG", result.allPNG);
    readBool(json, "completedSetup", result.completedSetup);
    readBool(json, "simulatorTimeEnabled", result.simulatorTimeEnabled);
    const auto minutes = json.find("simulatorTimeMinutes");
    if (minutes != json.end()) {
        if (minutes->is_number_unsigned()) {
            const auto value = minutes->get<std::uint64_t>();
            if (value <= 1439) {
                result.simulatorTimeMinutes = static_cast<std::int64_t>(value);
            }
        } else if (minutes->is_number_integer()) {
            // Negative: out of range, the default stays.
        } else {
            wrongType("simulatorTimeMinutes");
        }
    }
    preferences = std::move(result);
}

Preferences Preferences::load(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return Preferences();
    }
    return readJsonFile<Preferences>(file, kMaxSettingsFileBytes);
}

void Preferences::save(const std::filesystem::path& file) const {
    const nlohmann::json json = *this;
    writeJsonFile(json, file);
}

} // namespace cadrelle
