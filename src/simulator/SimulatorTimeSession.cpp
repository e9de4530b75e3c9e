#include "SimulatorTimeSession.h"

#include "DecodingError.h"
#include "DeviceListing.h"
#include "SimulatorCommandRunner.h"

#include "core/AppError.h"
#include "core/JsonSupport.h"

#include <cstdio>
#include <memory>

namespace cadrelle {

namespace {

constexpr int kMinutesPerDay = 24 * 60;

std::set<std::string> decodeStateFile(const std::filesystem::path& path) {
    const auto bytes = readFile(path, kMaxSimulatorStateFileBytes);
    const auto json = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false);
    DecodingError::check(json.is_null(), !json.is_discarded() && json.is_array());
    std::set<std::string> ids;
    for (const auto& item : json) {
        DecodingError::check(item.is_null(), item.is_string());
        ids.insert(item.get<std::string>());
    }
    return ids;
}

std::string simulatorCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " simulator" : " simulators");
}

SimulatorTimeStatus failure(const std::string& message) {
    return {message, true};
}

} // namespace

SimulatorTimeSession::SimulatorTimeSession(std::filesystem::path stateFile, SimulatorRun run)
    : stateFile_(std::move(stateFile)), run_(std::move(run)) {
    if (!run_) {
        auto runner = std::make_shared<SimulatorCommandRunner>();
        run_ = [runner](const std::vector<std::string>& arguments) {
            return runner->run(arguments);
        };
    }
    std::error_code error;
    if (std::filesystem::exists(stateFile_, error)) {
        try {
            managed_ = decodeStateFile(stateFile_);
        } catch (...) {
            loadError_ = std::current_exception();
            managed_.clear();
        }
    }
}

std::string SimulatorTimeSession::timeText(int minutes) {
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", minutes / 60, minutes % 60);
    return text;
}

SimulatorTimeStatus SimulatorTimeSession::refresh() {
    if (loadError_) {
        return failure("Couldn't read saved simulator time settings: " +
                       userDescription(loadError_));
    }
    if (!minutes && managed_.empty()) {
        return {"Off · Simulators use their normal clock.", false};
    }
    if (minutes && (*minutes < 0 || *minutes >= kMinutesPerDay)) {
        return failure("Choose a valid time.");
    }
    std::vector<Device> iosDevices;
    try {
        const auto listing = DeviceListing::decode(run_({"list", "devices", "--json"}));
        for (const auto& [runtime, devices] : listing.devices) {
            if (runtime.find(".iOS-") != std::string::npos) {
                iosDevices.insert(iosDevices.end(), devices.begin(), devices.end());
            }
        }
    } catch (...) {
        return failure(userDescription(std::current_exception()));
    }
    return reconcile(iosDevices);
}

SimulatorTimeStatus SimulatorTimeSession::reconcile(const std::vector<Device>& iosDevices) {
    std::vector<const Device*> booted;
    std::set<std::string> bootedIds;
    std::set<std::string> knownIds;
    for (const auto& device : iosDevices) {
        knownIds.insert(device.udid);
        if (device.state == "Booted" && device.isAvailable.value_or(true)) {
            booted.push_back(&device);
            bootedIds.insert(device.udid);
        }
    }
    std::erase_if(applied_, [&](const auto& entry) { return !bootedIds.contains(entry.first); });

    std::set<std::string> stillKnown;
    for (const auto& id : managed_) {
        if (knownIds.contains(id)) {
            stillKnown.insert(id);
        }
    }
    if (stillKnown.size() != managed_.size()) {
        try {
            remember(stillKnown);
        } catch (...) {
            return failure(userDescription(std::current_exception()));
        }
    }

    std::vector<std::string> errorLines;
    for (const auto* device : booted) {
        try {
            updateDevice(*device);
        } catch (...) {
            errorLines.push_back(device->name + ": " + userDescription(std::current_exception()));
        }
    }
    if (!errorLines.empty()) {
        std::string message;
        for (const auto& line : errorLines) {
            message += (message.empty() ? "" : "\n") + line;
        }
        return failure(message);
    }

    if (!minutes) {
        if (managed_.empty()) {
            return {"Off · Simulators use their normal clock.", false};
        }
        return {"Off · Waiting for " + simulatorCount(managed_.size()) +
                    " to start to restore the clock.",
                false};
    }
    if (booted.empty()) {
        return {"Waiting for an iOS simulator · Will use " + timeText(*minutes) + ".", false};
    }
    return {timeText(*minutes) + " applied to " + std::to_string(booted.size()) + " running " +
                (booted.size() == 1 ? "simulator" : "simulators") + ".",
            false};
}

// Brings one booted simulator to the wanted state. A simulator is saved as
// managed before its override runs and forgotten only after its clear
// succeeded, so a failure never loses track of a changed status bar.
void SimulatorTimeSession::updateDevice(const Device& device) {
    if (!minutes) {
        if (managed_.contains(device.udid)) {
            run_({"status_bar", device.udid, "clear"});
            applied_.erase(device.udid);
            auto remaining = managed_;
            remaining.erase(device.udid);
            remember(remaining);
        }
        return;
    }
    const auto current = applied_.find(device.udid);
    if (current != applied_.end() && current->second == *minutes) {
        return;
    }
    if (!managed_.contains(device.udid)) {
        auto withDevice = managed_;
        withDevice.insert(device.udid);
        remember(withDevice);
    }
    run_({"status_bar", device.udid, "override", "--time", timeText(*minutes)});
    applied_[device.udid] = *minutes;
}

void SimulatorTimeSession::remember(const std::set<std::string>& ids) {
    writeJsonFile(nlohmann::json(ids), stateFile_);
    managed_ = ids;
}

} // namespace cadrelle
