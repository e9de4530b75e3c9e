#pragma once

#include <filesystem>
#include <functional>
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
// The same, with `inChild` run in the new process just before the program
// starts (to set resource limits, for example).
Outcome runCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                    const std::function<void()>& inChild);

} // namespace cadrelle::test
