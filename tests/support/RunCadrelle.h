#pragma once

#include <QProcess>

#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace cadrelle::test {

// What a run of the built program showed the user.
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Checks that a run failed the way the user is told: status 1, nothing on
// standard output, "Error: " + `message` on standard error.
void expectFailure(const Outcome& outcome, const std::string& message);

// The built `cadrelle` program.
std::filesystem::path cadrelleExecutable();

// Runs the built `cadrelle` with the arguments in `folder` and waits for it.
// With `standardOutput`, what it prints goes to that file instead of `out`.
Outcome runCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                    const std::filesystem::path& standardOutput = {});
// The same, with `inChild` run in the new process just before the program
// starts (to set resource limits, for example).
Outcome runCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                    const std::function<void()>& inChild);

// Starts one `cadrelle` per argument list in `folder`, all at once, and waits
// for every one of them.
std::vector<Outcome> runCadrelleTogether(const std::vector<std::vector<std::string>>& runs,
                                         const std::filesystem::path& folder);

// Starts the built `cadrelle` in `folder`, with these environment variables
// added, and returns without waiting for it.
std::unique_ptr<QProcess>
startCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
              const std::vector<std::pair<std::string, std::string>>& environment = {});
// Waits for a started program to end, and what it showed since it was last read.
Outcome finishCadrelle(QProcess& process);
// Sends `signal` to a started program that still runs, then waits for its end.
Outcome stopCadrelle(QProcess& process, int signal = SIGTERM);

} // namespace cadrelle::test
