#include "AutostartEntry.h"

#include "core/FileError.h"
#include "core/FileIO.h"
#include "core/ReadLimits.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

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

// Where the line of `key` in the entry's "[Desktop Entry]" group lies in
// `text` (its first character and its length), if it has one.
std::optional<std::pair<std::size_t, std::size_t>> entryLine(const std::string& text,
                                                             const std::string& key) {
    bool inGroup = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        const std::size_t lineStart = start;
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
                return std::pair(lineStart, line.size());
            }
        }
    }
    return std::nullopt;
}

// The value of `key` in the entry's "[Desktop Entry]" group, if present.
std::optional<std::string> entryValue(const std::string& text, const std::string& key) {
    const auto line = entryLine(text, key);
    if (!line) {
        return std::nullopt;
    }
    std::string value = text.substr(line->first, line->second);
    value.erase(0, value.find('=') + 1);
    value.erase(0, value.find_first_not_of(' '));
    return value;
}

// The program an Exec value starts and where the rest of the value begins.
std::pair<std::string, std::size_t> execProgram(const std::string& exec) {
    if (exec.empty() || exec.front() != '"') {
        const std::size_t end = std::min(exec.find(' '), exec.size());
        return {exec.substr(0, end), end};
    }
    std::string program;
    for (std::size_t index = 1; index < exec.size(); ++index) {
        if (exec[index] == '\\' && index + 1 < exec.size()) {
            program += exec[++index];
        } else if (exec[index] == '"') {
            return {program, index + 1};
        } else {
            program += exec[index];
        }
    }
    return {program, exec.size()};
}

std::string readEntry(const std::filesystem::path& file) {
    const Bytes bytes = readFile(file, kMaxSettingsFileBytes);
    return {bytes.begin(), bytes.end()};
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
        text = readEntry(file_);
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

void AutostartEntry::followInstallation(const std::filesystem::path& versions) {
    std::string text;
    try {
        text = readEntry(file_);
    } catch (const std::exception&) {
        return; // no entry, or none that can be read: nothing starts
    }
    const auto line = entryLine(text, "Exec");
    const auto exec = entryValue(text, "Exec");
    if (!line || !exec) {
        return;
    }
    const auto [program, rest] = execProgram(*exec);
    const std::filesystem::path relative =
        std::filesystem::path(program).lexically_normal().lexically_relative(versions);
    if (relative.empty() || *relative.begin() == ".." || *relative.begin() == "." ||
        std::filesystem::path(program) == program_) {
        return;
    }
    const std::string updated = "Exec=" + quotedArgument(program_.string()) + exec->substr(rest);
    text.replace(line->first, line->second, updated);
    writeAtomically(text, file_);
}

} // namespace cadrelle
