#pragma once

#include "SimulatorTimeSession.h"

#include "core/SerialQueue.h"
#include "core/SimulatorTimeStatus.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace cadrelle {

// How often the controller's timer runs a pass, and how late it may fire.
struct SimulatorTimeTiming {
    std::chrono::milliseconds interval{5'000};
    std::chrono::milliseconds leeway{1'000};
};

// Keeps the simulators' clocks as configured: runs a reconciliation pass on its
// own queue ("lumivane.simulator-time") on every change and every five
// seconds, and reports each pass's status. stop() restores the clocks before
// the application ends.
class SimulatorTimeController final {
public:
    // Called on the controller's queue; the receiver hops to its own thread.
    using StatusHandler = std::function<void(const SimulatorTimeStatus&)>;

    SimulatorTimeController(std::filesystem::path stateFile, SimulatorRun run,
                            StatusHandler onStatus, SimulatorTimeTiming timing = {});
    // Ends the queue without a restoring pass; call stop() for that.
    ~SimulatorTimeController();
    SimulatorTimeController(const SimulatorTimeController&) = delete;
    SimulatorTimeController& operator=(const SimulatorTimeController&) = delete;

    // Sets the time to show (absent: restore the normal clock) and runs a pass
    // at once, asynchronously. Starts the repeating timer on first use.
    void configure(std::optional<int> minutes);

    // Waits for the queue, then runs one last pass with the override off
    // (its status is not reported). Nothing runs afterwards.
    void stop();

private:
    struct State;

    std::shared_ptr<State> state_;
    std::unique_ptr<SerialQueue> queue_;
    std::atomic<bool> stopCalled_{false};
};

} // namespace cadrelle
