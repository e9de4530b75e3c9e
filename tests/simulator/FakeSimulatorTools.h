#pragma once

#include "simulator/SimulatorCommandRunner.h"
#include "simulator/SimulatorTimeSession.h"
#include "support/TempDir.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle::test {

// A simulator as the fake `simctl` lists it.
struct FakeDevice {
    std::string udid;
    std::string name;
    std::string state = "Booted";
    std::optional<bool> isAvailable = true;
    std::string runtime = "com.apple.CoreSimulator.SimRuntime.iOS-17-0";
};

// Fake `xcrun`, `xcode-select` and `simctl` shell scripts in a temporary
// folder. `simctl` lists the simulators kept in a file, fails for the UDIDs
// named in another, and every program records its arguments, one call a line:
// the program's name followed by each argument in brackets. DEVELOPER_DIR is
// unset while the fakes exist, so that the runner looks where they are.
class FakeSimulatorTools {
public:
    FakeSimulatorTools();

    const std::filesystem::path& root() const { return folder_.path(); }
    // Settings that point the runner at the fakes (and at a private
    // temporary folder, so that leftovers can be seen).
    SimulatorCommandSettings settings() const;
    SimulatorRun runner(const SimulatorCommandSettings& settings) const;
    SimulatorRun runner() const { return runner(settings()); }

    // Installs the fake simctl into "<bundle>/Contents/Developer/usr/bin".
    std::filesystem::path installSimctl(const std::filesystem::path& bundle) const;
    // Makes `xcode-select -p` print this path (absent: fail as if nothing is selected).
    void selectDeveloperDirectory(const std::optional<std::filesystem::path>& path) const;

    void setDevices(const std::vector<FakeDevice>& devices) const;
    void setListingText(const std::string& text) const;
    // Status-bar commands for these UDIDs fail with `message` on standard error.
    void setFailing(const std::vector<std::string>& udids, const std::string& message) const;

    // The recorded calls, and forgetting them.
    std::vector<std::string> calls() const;
    void clearLog() const;

    // The names left in the runner's temporary folder.
    std::vector<std::string> leftovers() const { return folder_.entries("tmp"); }

    std::filesystem::path stateFile() const { return root() / "data/simulator-time-devices.json"; }

private:
    TempDir folder_;
};

// Writes an executable shell script.
void writeScript(const std::filesystem::path& path, const std::string& body);

} // namespace cadrelle::test
