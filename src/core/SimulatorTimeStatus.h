#pragma once

#include <string>

namespace cadrelle {

// One line about the simulator clock override, shown in the settings window.
struct SimulatorTimeStatus {
    std::string message;
    // True when the message reports a failure.
    bool isError = false;

    friend bool operator==(const SimulatorTimeStatus&, const SimulatorTimeStatus&) = default;
};

} // namespace cadrelle
