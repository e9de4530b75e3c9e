#include "CommandLine.h"

#include "core/AppError.h"

namespace cadrelle {

CommandLine CommandLine::parse(const std::vector<std::string>& arguments,
                               const CommandDescription* description) {
    CommandLine line;
    if (arguments.empty()) {
        return line;
    }
    line.command = arguments.front();
    std::optional<std::string> unknown;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string& word = arguments[index];
        if (description != nullptr && (word == "--help" || word == "-h")) {
            line.helpRequested = true;
            continue;
        }
        if (word.rfind("--", 0) != 0) {
            line.positionals.push_back(word);
            continue;
        }
        const OptionDescription* option = description ? description->option(word) : nullptr;
        if (description != nullptr && option == nullptr) {
            // Whether it would take a value is unknown: the words after it
            // are read as they stand.
            unknown = unknown.value_or(word);
        } else if (option != nullptr && option->value.empty()) {
            line.options[word] = "";
        } else if (index + 1 < arguments.size()) {
            line.options[word] = arguments[++index];
            line.repeated[word].push_back(line.options[word]);
        } else if (!line.helpRequested) {
            throw AppError("Missing value for " + word);
        }
    }
    if (unknown && !line.helpRequested) {
        throw AppError("Unknown option " + *unknown + " for " + line.command + ". Run cadrelle " +
                       line.command + " --help.");
    }
    return line;
}

const std::string& CommandLine::required(const std::string& option) const {
    const auto found = options.find(option);
    if (found == options.end()) {
        throw AppError(option + " is required");
    }
    return found->second;
}

std::optional<std::string> CommandLine::optional(const std::string& option) const {
    const auto found = options.find(option);
    if (found == options.end()) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace cadrelle
