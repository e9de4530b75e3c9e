#include "Preferences.h"

#include "capture/PreferenceKeys.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/JsonSupport.h"

#include <QStandardPaths>

#include <limits>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace cadrelle {

namespace {

std::string desktopPath() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString();
}

[[noreturn]] void wrongType(std::string_view key) {
    throw AppError("The setting \"" + std::string(key) + "\" has a value of the wrong type.");
}

// How each kind of member is written.
template <typename Value> nlohmann::json encoded(const Value& value) {
    return value;
}

nlohmann::json encoded(const std::vector<std::uint8_t>& bytes) {
    return base64Encode(bytes);
}

template <typename Value>
void write(nlohmann::json& json, const std::string& name, const Value& value) {
    json[name] = encoded(value);
}

// Optional settings are written only when they hold a value.
template <typename Value>
void write(nlohmann::json& json, const std::string& name, const std::optional<Value>& value) {
    if (value) {
        json[name] = encoded(*value);
    }
}

// How each kind of member is read from a value that is present.
void read(const nlohmann::json& value, const PreferenceKey& key, std::string& field) {
    if (!value.is_string()) {
        wrongType(key.name);
    }
    field = value.get<std::string>();
}

void read(const nlohmann::json& value, const PreferenceKey& key, bool& field) {
    if (!value.is_boolean()) {
        wrongType(key.name);
    }
    field = value.get<bool>();
}

// An integer outside the key's range leaves the default in place.
void read(const nlohmann::json& value, const PreferenceKey& key, std::int64_t& field) {
    if (!value.is_number_integer()) {
        wrongType(key.name);
    }
    if (value.is_number_unsigned() &&
        value.get<std::uint64_t>() > std::uint64_t{std::numeric_limits<std::int64_t>::max()}) {
        return;
    }
    const auto number = value.get<std::int64_t>();
    if (number >= key.minimum && number <= key.maximum) {
        field = number;
    }
}

void read(const nlohmann::json& value, const PreferenceKey& key, std::vector<std::uint8_t>& field) {
    if (!value.is_string()) {
        wrongType(key.name);
    }
    try {
        field = base64Decode(value.get<std::string>());
    } catch (const std::invalid_argument&) {
        wrongType(key.name);
    }
}

// Optional settings: null leaves them empty.
template <typename Value>
void read(const nlohmann::json& value, const PreferenceKey& key, std::optional<Value>& field) {
    if (value.is_null()) {
        field.reset();
        return;
    }
    Value content;
    read(value, key, content);
    field = std::move(content);
}

} // namespace

Preferences::Preferences() : inputPath(desktopPath()), outputPath(desktopPath()) {}

void to_json(nlohmann::json& json, const Preferences& preferences) {
    json = nlohmann::json::object();
    for (const auto& key : kPreferenceKeys) {
        const std::string name(key.name);
        std::visit([&](auto member) { write(json, name, preferences.*member); }, key.field);
    }
}

void from_json(const nlohmann::json& json, Preferences& preferences) {
    if (!json.is_object()) {
        throw AppError("The settings are not a JSON object.");
    }
    Preferences result;
    for (const auto& key : kPreferenceKeys) {
        const auto found = json.find(std::string(key.name));
        if (found != json.end()) {
            std::visit([&](auto member) { read(*found, key, result.*member); }, key.field);
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
