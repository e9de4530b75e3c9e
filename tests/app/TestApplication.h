#pragma once

#include "capture/Preferences.h"
#include "core/BuildInformation.h"
#include "support/CoreApplication.h"

#include <filesystem>

namespace cadrelle::test {

// Makes the widget application the tests run in, once per test process,
// after pointing HOME and the XDG folders (data, config, state, runtime) at a
// temporary folder of the process, so that nothing reaches the user's own.
void ensureApplication();

// The temporary home folder of this test process.
const std::filesystem::path& testHome();

// The settings a finished first-run setup leaves, watching `input` and
// exporting to `output`.
Preferences completedSetup(const std::filesystem::path& input, const std::filesystem::path& output);

// The program the tests set the application up as: a version, and no update
// feed.
inline constexpr BuildInformation kTestProgram{"0.1.0", "", "", ""};

} // namespace cadrelle::test
