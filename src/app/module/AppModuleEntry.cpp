#include "app/RunApplication.h"

#include <string>
#include <vector>

// The desktop application's entry point, exported by its module
// (libcadrelle-app.so) for the `cadrelle` program to call.
extern "C" __attribute__((visibility("default"))) int
cadrelle_run_application(const std::vector<std::string>* arguments) {
    return cadrelle::runApplication(*arguments);
}
