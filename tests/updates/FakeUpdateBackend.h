#pragma once

#include "core/AppError.h"
#include "updates/UpdateBackend.h"

#include <optional>

namespace cadrelle::test {

// An update backend that keeps its settings and counts what is asked of it;
// tests set its answers and raise its events.
struct FakeUpdateBackend : UpdateBackend {
    Events events;
    int prepared = 0;
    int checks = 0;
    bool failsToStart = false;
    bool canCheck = true;
    bool checksAutomatically = true;
    bool downloadsAutomatically = false;
    bool allowsAutomatic = true;
    std::optional<double> lastCheck = 100.0;

    void prepare(const UpdateConfiguration&, Events given) override {
        ++prepared;
        events = std::move(given);
    }
    void start() override {
        if (failsToStart) {
            throw AppError("The feed is unreachable.");
        }
    }
    bool canCheckForUpdates() const override { return canCheck; }
    bool automaticallyChecksForUpdates() const override { return checksAutomatically; }
    void setAutomaticallyChecksForUpdates(bool on) override {
        checksAutomatically = on;
        events.settingsChanged();
    }
    bool automaticallyDownloadsUpdates() const override { return downloadsAutomatically; }
    void setAutomaticallyDownloadsUpdates(bool on) override {
        downloadsAutomatically = on;
        events.settingsChanged();
    }
    bool allowsAutomaticUpdates() const override { return allowsAutomatic; }
    std::optional<double> lastUpdateCheckDate() const override { return lastCheck; }
    void checkForUpdates() override { ++checks; }
};

} // namespace cadrelle::test
