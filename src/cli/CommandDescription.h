#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace cadrelle {

struct CommandLine;

// One option of a command, as its help shows it.
struct OptionDescription {
    std::string name;        // with its leading "--"
    std::string value;       // what its value names ("DIRECTORY"); empty for a switch
    std::string explanation; // one line
    bool required = false;
};

// What a command accepts and what its help says. The parser, the help and the
// usage text all read these, so they never disagree.
struct CommandDescription {
    std::string name;
    std::string purpose; // one sentence
    std::vector<OptionDescription> options;
    // The words other than options, as the synopsis shows them ("CAPTURE ...");
    // empty for commands that ignore them.
    std::string operands;
    std::string operandsExplanation;
    // Runs the command; empty for "app", which the process entry starts.
    std::function<void(const CommandLine&, std::ostream&)> run;

    const OptionDescription* option(const std::string& optionName) const;
    // The command and its options on lines of at most 80 characters, later
    // lines indented by six spaces: "frame-all --output DIRECTORY [--json] …".
    std::string synopsis() const;
    // The synopsis, the purpose, then one line per option and for the operands.
    std::string help() const;
};

} // namespace cadrelle
