#pragma once

#include <string>

namespace cadrelle {

// A module of the program: a shared library in lib/cadrelle/ under the
// running installation's root (see Installation::file) that the program
// opens only when a command needs what it holds, so that its libraries are
// not loaded at every start.
class ProgramModule {
public:
    // The address of the C function `entry` of the module file `fileName`
    // (for example "libcadrelle-video.so"), opening the module the first
    // time. Modules are never closed: their code stays for the rest of the
    // run. Returns nullptr when the module can't be opened or has no such
    // entry, with the loader's reason in `reason`.
    static void* entry(const std::string& fileName, const char* entry, std::string& reason);
};

} // namespace cadrelle
