#pragma once

#include <filesystem>

namespace cadrelle {

// The running program's executable with symbolic links resolved, or an empty
// path when the system cannot tell.
std::filesystem::path runningExecutable();

// Where a file shipped with the program lies, given its path relative to the
// installation's root: "<executable's folder>/../<relative>" (an installed
// program), or else "<executable's folder>/<relative>" (the build tree). When
// neither exists the first is returned, so errors name the installed place.
std::filesystem::path programFile(const std::filesystem::path& executable,
                                  const std::filesystem::path& relative);

} // namespace cadrelle
