#pragma once

#include <filesystem>
#include <memory>
#include <optional>

class QSettings;

namespace cadrelle {

// The updater's settings in the program's settings file, group "Updates":
// "automaticallyChecksForUpdates" (default on),
// "automaticallyDownloadsUpdates" (default off) and "lastUpdateCheckDate"
// (seconds since 2001-01-01 00:00:00 UTC).
class UpdatePreferences {
public:
    explicit UpdatePreferences(const std::filesystem::path& settingsFile);
    ~UpdatePreferences();

    bool automaticallyChecks() const;
    void setAutomaticallyChecks(bool on);
    bool automaticallyDownloads() const;
    void setAutomaticallyDownloads(bool on);
    std::optional<double> lastCheckDate() const;
    void setLastCheckDate(double secondsSince2001);

    // The current time as seconds since 2001-01-01 00:00:00 UTC.
    static double now();

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace cadrelle
