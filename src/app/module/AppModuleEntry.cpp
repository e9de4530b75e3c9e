#include "app/RunApplication.h"
#include "core/BuildInformation.h"

#include <string>
#include <vector>

namespace {

// The build information of the program that opened the module.
const cadrelle::BuildInformation* hostInformation = nullptr;

} // namespace

namespace cadrelle {

// The module's code reads the version and update settings of the program that
// runs it, not a copy of its own: the same module serves every program built
// from these libraries.
const BuildInformation& buildInformation() {
    return *hostInformation;
}

} // namespace cadrelle

// The desktop application's entry point, exported by its module
// (libcadrelle-app.so) for the `cadrelle` program to call.
extern "C" __attribute__((visibility("default"))) int
cadrelle_run_application(const std::vector<std::string>* arguments,
                         const cadrelle::BuildInformation* information) {
    hostInformation = information;
    return cadrelle::runApplication(*arguments);
}
