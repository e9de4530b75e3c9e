#pragma once

#include "cli/CommandDescription.h"

#include <string>
#include <vector>

namespace cadrelle {

// Every command of the program, in the order the usage text lists them.
const std::vector<CommandDescription>& commandTable();

// The command named exactly `name`, or null.
const CommandDescription* findCommand(const std::string& name);

} // namespace cadrelle
