#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// One command line as every command sees it: the first word, the options
// ("--name" → value) and every other word in order.
struct CommandLine {
    std::string command;
    std::map<std::string, std::string> options;
    std::vector<std::string> positionals;

    // Walks the arguments after the first: an element beginning with "--" takes
    // the next element as its value, whatever it looks like; a repeated option
    // keeps its last value. Throws "Missing value for <option>". The one
    // exception is watch's switch "--all-png", which takes no value (stored as
    // ""); for every other command it is an option like any other.
    static CommandLine parse(const std::vector<std::string>& arguments);

    // The option's value; throws "<option> is required" when it is absent.
    const std::string& required(const std::string& option) const;
    std::optional<std::string> optional(const std::string& option) const;
    bool has(const std::string& option) const { return options.count(option) != 0; }
};

// An option value naming a file, as given (relative paths resolve against the
// current folder when used).
inline std::filesystem::path filePath(const std::string& value) {
    return {value};
}

} // namespace cadrelle
