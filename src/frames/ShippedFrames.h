#pragma once

#include <filesystem>

namespace cadrelle {

// The folder of frames shipped with the program, found from the running
// executable: "<executable's folder>/../share/cadrelle/Frames" (an installed
// program) or else "<executable's folder>/share/cadrelle/Frames" (the build
// tree). When neither exists the first is returned; it loads as an empty
// library.
std::filesystem::path shippedFramesDirectory();

// The same rule for a given executable path.
std::filesystem::path shippedFramesDirectory(const std::filesystem::path& executable);

} // namespace cadrelle
