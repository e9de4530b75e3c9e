#include "CommandLine.h"

#include "core/AppError.h"

namespace cadrelle {

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.empty()) {
        return line;
    }
    line.command = arguments.front();
    for (std::size_t index = 1; index < arguments.size();) {
        const std::string& word = arguments[index];
        if (line.command == "watch" && word == "--all-png") {
            // The one switch: watch's "--all-png" takes no value.
            line.options[word] = "";
            index += 1;
        } else if (word.rfind("--", 0) == 0) {
            if (index + 1 >= arguments.size()) {
                throw AppError("Missing value for " + word);
            }
            line.options[word] = arguments[index + 1];
            index += 2;
        } else {
            line.positionals.push_back(word);
            index += 1;
        }
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
