#pragma once

#include "updates/UpdateBackend.h"

namespace cadrelle {

// Stands in for the update machinery in builds that have none yet: it never
// starts, so the updater reports that updates can't start and offers no
// check.
class UnavailableUpdateBackend final : public UpdateBackend {
public:
    void prepare(const UpdateConfiguration&, Events) override {}
    // Throws AppError "This build of Cadrelle can't install updates."
    void start() override;

    bool canCheckForUpdates() const override { return false; }
    bool automaticallyChecksForUpdates() const override { return false; }
    void setAutomaticallyChecksForUpdates(bool) override {}
    bool automaticallyDownloadsUpdates() const override { return false; }
    void setAutomaticallyDownloadsUpdates(bool) override {}
    bool allowsAutomaticUpdates() const override { return false; }
    std::optional<double> lastUpdateCheckDate() const override { return std::nullopt; }
    void checkForUpdates() override {}
};

} // namespace cadrelle
