#include "CommandDescription.h"

#include <algorithm>

namespace cadrelle {

namespace {

constexpr std::size_t kLineWidth = 80;
constexpr std::string_view kContinuation = "      ";
constexpr std::size_t kOptionColumn = 24;

// Joins the words with spaces, starting a new line, indented, before a word
// that would pass the line width.
std::string wrapped(const std::vector<std::string>& words, std::size_t firstColumn) {
    std::string text;
    std::size_t column = firstColumn;
    for (const std::string& word : words) {
        if (!text.empty()) {
            if (column + 1 + word.size() > kLineWidth) {
                text += '\n';
                text += kContinuation;
                column = kContinuation.size();
            } else {
                text += ' ';
                column += 1;
            }
        }
        text += word;
        column += word.size();
    }
    return text;
}

std::string optionWithValue(const OptionDescription& option) {
    return option.value.empty() ? option.name : option.name + " " + option.value;
}

std::vector<std::string> synopsisWords(const CommandDescription& command) {
    std::vector<std::string> words{command.name};
    for (const OptionDescription& entry : command.options) {
        std::string word = optionWithValue(entry);
        if (!entry.required) {
            word = std::string("[").append(word).append("]");
        }
        words.push_back(std::move(word));
    }
    if (!command.operands.empty()) {
        words.push_back(command.operands);
    }
    return words;
}

} // namespace

const OptionDescription* CommandDescription::option(const std::string& optionName) const {
    const auto found = std::ranges::find(options, optionName, &OptionDescription::name);
    return found == options.end() ? nullptr : &*found;
}

std::string CommandDescription::synopsis() const {
    return wrapped(synopsisWords(*this), 0);
}

std::string CommandDescription::help() const {
    const std::string usage = "Usage: cadrelle ";
    std::string text =
        usage + wrapped(synopsisWords(*this), usage.size()) + "\n" + purpose + "\n\n";
    std::vector<std::pair<std::string, std::string>> rows;
    for (const OptionDescription& entry : options) {
        rows.emplace_back(optionWithValue(entry),
                          entry.explanation + (entry.required ? " (required)" : ""));
    }
    if (!operands.empty()) {
        rows.emplace_back(operands, operandsExplanation);
    }
    rows.emplace_back("-h, --help", "Show this help");
    // Explanations line up after the options, except after one too long to
    // leave them room.
    std::size_t width = 0;
    for (const auto& row : rows) {
        if (row.first.size() <= kOptionColumn) {
            width = std::max(width, row.first.size());
        }
    }
    for (const auto& [left, right] : rows) {
        text += "  " + left + std::string(std::max(width, left.size()) - left.size() + 2, ' ') +
                right + "\n";
    }
    return text;
}

} // namespace cadrelle
