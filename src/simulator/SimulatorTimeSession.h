#pragma once

#include "core/FileIO.h"
#include "core/SimulatorTimeStatus.h"

#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cadrelle {

struct Device;

// Runs one simulator command ("simctl" arguments) and returns its output; throws.
using SimulatorRun = std::function<Bytes(const std::vector<std::string>&)>;

// One reconciliation pass at a time between the chosen clock time and the
// current simulators: overrides the status bar of every booted iOS simulator,
// or restores the ones this system changed. The simulators it changed are
// kept in a state file so that they are restored even after a restart.
// Used from one thread only.
class SimulatorTimeSession {
public:
    // Reads the saved simulators from `stateFile` when it exists. An empty
    // `run` means a SimulatorCommandRunner with the real tools.
    explicit SimulatorTimeSession(std::filesystem::path stateFile, SimulatorRun run = {});

    // Minutes after midnight to show; absent restores the normal clock.
    std::optional<int> minutes;

    // One pass; every failure becomes an error status.
    SimulatorTimeStatus refresh();

    const std::set<std::string>& managed() const { return managed_; }
    const std::map<std::string, int>& applied() const { return applied_; }

    // "%d:%02d" of the minutes after midnight, for example 9:41.
    static std::string timeText(int minutes);

private:
    SimulatorTimeStatus reconcile(const std::vector<Device>& iosDevices);
    void updateDevice(const Device& device);
    void remember(const std::set<std::string>& ids);

    std::filesystem::path stateFile_;
    SimulatorRun run_;
    std::set<std::string> managed_;
    std::map<std::string, int> applied_;
    std::exception_ptr loadError_;
};

} // namespace cadrelle
