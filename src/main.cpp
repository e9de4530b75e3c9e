#include "cli/Cli.h"
#include "core/BuildInformation.h"
// This program's own build information, kProgramBuildInformation, written by
// the build for each program made from this file.
#include "ProgramBuildInformation.h"
#ifdef CADRELLE_WITH_APP
#include "core/Installation.h"

#include <dlfcn.h>

#include <cstdio>
#endif

#include <csignal>
#include <string>
#include <vector>

#ifdef CADRELLE_WITH_APP
namespace {

// Opens the desktop application's module and runs it. The module is never
// closed: the application runs until the process ends.
int runApplicationModule(const std::vector<std::string>& arguments,
                         const cadrelle::BuildInformation& information) {
    const auto path = cadrelle::Installation::running().file(std::filesystem::path("lib") /
                                                             "cadrelle" / "libcadrelle-app.so");
    using Entry = int (*)(const std::vector<std::string>*, const cadrelle::BuildInformation*);
    Entry entry = nullptr;
    if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        entry = reinterpret_cast<Entry>(dlsym(module, "cadrelle_run_application"));
    }
    if (entry == nullptr) {
        const char* reason = dlerror();
        std::fprintf(stderr, "Error: The desktop application couldn't be loaded: %s\n",
                     reason != nullptr ? reason : path.c_str());
        return 1;
    }
    // The module reports this program's version and update settings, which
    // test builds choose per program.
    return entry(&arguments, &information);
}

} // namespace
#endif

// No arguments, or "app" first, start the desktop application; every other
// first word is a command of the command line, as is the application's help.
int main(int argc, char** argv) {
    // A write past the file-size limit (ulimit -f) would kill the process
    // and leave its hidden temporary file; ignored, the write fails with
    // "File too large" and the failure is reported and cleaned up like any
    // other.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> arguments(argv + 1, argv + argc);
#ifdef CADRELLE_WITH_APP
    if (arguments.empty() || (arguments.front() == "app" && !cadrelle::asksForHelp(arguments))) {
        return runApplicationModule(arguments, kProgramBuildInformation);
    }
#endif
    return cadrelle::runProcess(arguments, kProgramBuildInformation);
}
