#pragma once

#include "support/CoreApplication.h"

#include <filesystem>

namespace cadrelle::test {

// Makes the widget application the tests run in, once per test process,
// after pointing HOME and the XDG folders (data, config, state, runtime) at a
// temporary folder of the process, so that nothing reaches the user's own.
void ensureApplication();

// The temporary home folder of this test process.
const std::filesystem::path& testHome();

} // namespace cadrelle::test
