#pragma once

#include "cli/CommandDescription.h"

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
    // Every value of each option, in order, for options that may be repeated.
    std::map<std::string, std::vector<std::string>> repeated;
    std::vector<std::string> positionals;
    // "--help" or "-h" was given where an option may stand.
    bool helpRequested = false;

    // Walks the arguments after the first. For a known command (`description`
    // not null): its switches take no value (stored as ""), its other options
    // take the next element as their value, whatever it looks like, "--help"
    // and "-h" ask for its help, and any other element beginning with "--" is
    // an unknown option, reported as "Unknown option <option> for <command>.
    // Run cadrelle <command> --help." unless help was asked for. For any other
    // first word, every element beginning with "--" takes the next as its
    // value. A repeated option keeps its last value. Throws "Missing value for
    // <option>"; every value is also kept in `repeated`.
    static CommandLine parse(const std::vector<std::string>& arguments,
                             const CommandDescription* description);

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
