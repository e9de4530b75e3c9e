#pragma once

#include "core/BuildInformation.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace cadrelle {

// Runs one command given the process arguments without the program path
// (the first element is the command word); "--version" prints the version in
// `information`. Throws on failure.
void cli(const std::vector<std::string>& arguments, std::ostream& out,
         const BuildInformation& information);

// The text printed for an unknown command: seven fixed lines for the first
// commands, a line or two for each other command, and where help is found.
std::string usageText();

// Whether the arguments ask for a command's help ("--help" or "-h" among its
// options), which is printed without starting anything.
bool asksForHelp(const std::vector<std::string>& arguments);

// Runs the process of the program `information` describes: a command, or
// the background application. Returns the exit status.
int runProcess(const std::vector<std::string>& arguments, const BuildInformation& information);

} // namespace cadrelle
