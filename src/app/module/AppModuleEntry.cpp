#include "app/RunApplication.h"
#include "core/BuildInformation.h"

#include <string>
#include <vector>

// The desktop application's entry point, exported by its module
// (libcadrelle-app.so) for the `cadrelle` program to call. The application
// runs as the program that opened the module describes itself (its version
// and update settings): the same module serves every program built from these
// libraries.
extern "C" __attribute__((visibility("default"))) int
cadrelle_run_application(const std::vector<std::string>* arguments,
                         const cadrelle::BuildInformation* information) {
    return cadrelle::runApplication(*arguments, *information);
}
