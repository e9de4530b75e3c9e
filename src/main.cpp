#include "cli/Cli.h"
#ifdef CADRELLE_WITH_APP
#include "app/RunApplication.h"
#endif

#include <string>
#include <vector>

// No arguments, or "app" first, start the desktop application; every other
// first word is a command of the command line.
int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
#ifdef CADRELLE_WITH_APP
    if (arguments.empty() || arguments.front() == "app") {
        return cadrelle::runApplication(arguments);
    }
#endif
    return cadrelle::runProcess(arguments);
}
