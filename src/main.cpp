#include "cli/Cli.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return cadrelle::runProcess(arguments);
}
