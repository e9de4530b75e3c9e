#include "AutostartEntry.h"

#include "core/FileError.h"
#include "core/FileIO.h"
#include "core/ReadLimits.h"

#include <cstdlib>
#include <optional>

namespace cadrelle {

namespace {

// Desktop entries quote arguments with double quotes, escaping `"`, `` ` ``,
// `$` and `\` inside them.
std::string quotedArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

std::string lowercase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The value of `key` in the entry's "[Desktop Entry]" group, if present.
std::optional<std::string> entryValue(const std::string& text, const std::string& key) {
    bool inGroup = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto equals = line.find('=');
        if (inGroup && equals != std::string::npos) {
            std::string name = line.substr(0, equals);
            while (!name.empty() && name.back() == ' ') {
                name.pop_back();
            }
            if (name == key) {
                std::string value = line.substr(equals + 1);
                value.erase(0, value.find_first_not_of(' '));
                return value;
            }
        }
    }
    return std::nullopt;
}

} // namespace

AutostartEntry::AutostartEntry(std::filesystem::path configFolder, std::filesystem::path program)
    : file_(std::move(configFolder) / "autostart" / "cadrelle.desktop"),
      program_(std::move(program)) {}

std::filesystem::path AutostartEntry::userConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && std::filesystem::path(config).is_absolute()) {
        return config;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "/") / ".config";
}

bool AutostartEntry::isEnabled() {
    std::string text;
    try {
        const Bytes bytes = readFile(file_, kMaxSettingsFileBytes);
        text.assign(bytes.begin(), bytes.end());
    } catch (const std::exception&) {
        return false;
    }
    return lowercase(entryValue(text, "Hidden").value_or("false")) != "true" &&
           lowercase(entryValue(text, "X-GNOME-Autostart-enabled").value_or("true")) != "false";
}

void AutostartEntry::setEnabled(bool enabled) {
    if (!enabled) {
        std::error_code error;
        std::filesystem::remove(file_, error);
        if (error) {
            throw FileError(file_, error);
        }
        return;
    }
    const std::string entry = "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Cadrelle\n"
                              "Comment=Frames new simulator screenshots and recordings\n"
                              "Exec=" +
                              quotedArgument(program_.string()) +
                              " app --background\n"
                              "Icon=cadrelle\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n";
    createDirectories(file_.parent_path());
    writeAtomically(entry, file_);
}

} // namespace cadrelle
