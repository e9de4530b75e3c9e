#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace cadrelle::test {

// What a run of the built program showed the user.
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the built `cadrelle` with the arguments in `folder` and waits for it.
Outcome runCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder);

} // namespace cadrelle::test
