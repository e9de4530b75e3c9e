#pragma once

#include "core/BuildInformation.h"

#include <string>
#include <vector>

namespace cadrelle {

// Runs the desktop application for the process arguments without the program
// path (empty, or "app" and its words) as the program `information`
// describes, and returns the exit status: 0 after quitting or handing the
// launch to the copy already running, 1 when it could not start.
int runApplication(const std::vector<std::string>& arguments, const BuildInformation& information);

} // namespace cadrelle
