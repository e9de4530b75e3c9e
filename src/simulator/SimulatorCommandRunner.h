#pragma once

#include "core/FileIO.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// The fixed places and time limits the runner works with. The defaults are the
// real ones; tests point them at fake programs and use shorter limits.
struct SimulatorCommandSettings {
    std::filesystem::path xcrun = "/usr/bin/xcrun";
    std::filesystem::path xcodeSelect = "/usr/bin/xcode-select";
    std::filesystem::path applicationsFolder = "/Applications";
    // The user's home folder; its "Applications" folder is searched too.
    std::filesystem::path homeFolder = defaultHomeFolder();
    // Where each command gets its own "lumivane-simctl-<UUID>" folder.
    std::filesystem::path temporaryFolder = std::filesystem::temp_directory_path();
    std::chrono::milliseconds timeLimit{10'000};
    std::chrono::milliseconds terminateWait{1'000};
    std::chrono::milliseconds killWait{1'000};

    static std::filesystem::path defaultHomeFolder();
};

// Runs `xcrun simctl` under a usable Xcode developer directory, with a time
// limit, and turns failures into short messages for the user. Blocks the
// calling thread; one command at a time.
class SimulatorCommandRunner {
public:
    explicit SimulatorCommandRunner(SimulatorCommandSettings settings = {});

    // Runs xcrun "simctl" followed by `arguments` with DEVELOPER_DIR set and
    // returns the standard output. Throws AppError or the platform's error.
    Bytes run(const std::vector<std::string>& arguments);

    const std::optional<std::filesystem::path>& developerDirectory() const {
        return developerDirectory_;
    }

private:
    using Environment = std::map<std::string, std::string>;

    std::filesystem::path findDeveloperDirectory();
    std::vector<std::filesystem::path> candidateDirectories();
    std::optional<std::filesystem::path> selectedDeveloperDirectory();
    Bytes execute(const std::filesystem::path& executable,
                  const std::vector<std::string>& arguments,
                  const std::optional<Environment>& environment);

    SimulatorCommandSettings settings_;
    std::optional<std::filesystem::path> developerDirectory_;
};

} // namespace cadrelle
