#include "UpdatePreferences.h"

#include <QDateTime>
#include <QSettings>

namespace cadrelle {
namespace {

const QString kChecks = QStringLiteral("Updates/automaticallyChecksForUpdates");
const QString kDownloads = QStringLiteral("Updates/automaticallyDownloadsUpdates");
const QString kLastCheck = QStringLiteral("Updates/lastUpdateCheckDate");

// Seconds from the Unix epoch to 2001-01-01 00:00:00 UTC.
constexpr double kReferenceDate = 978307200.0;

} // namespace

// QSettings objects on one file share their contents within the process,
// so the settings window's writes to the same file are seen here.
UpdatePreferences::UpdatePreferences(const std::filesystem::path& settingsFile)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(settingsFile.string()),
                                            QSettings::IniFormat)) {}

UpdatePreferences::~UpdatePreferences() = default;

bool UpdatePreferences::automaticallyChecks() const {
    return settings_->value(kChecks, true).toBool();
}

void UpdatePreferences::setAutomaticallyChecks(bool on) {
    settings_->setValue(kChecks, on);
    settings_->sync();
}

bool UpdatePreferences::automaticallyDownloads() const {
    return settings_->value(kDownloads, false).toBool();
}

void UpdatePreferences::setAutomaticallyDownloads(bool on) {
    settings_->setValue(kDownloads, on);
    settings_->sync();
}

std::optional<double> UpdatePreferences::lastCheckDate() const {
    bool ok = false;
    const double date = settings_->value(kLastCheck).toDouble(&ok);
    return ok ? std::optional(date) : std::nullopt;
}

void UpdatePreferences::setLastCheckDate(double secondsSince2001) {
    settings_->setValue(kLastCheck, secondsSince2001);
    settings_->sync();
}

double UpdatePreferences::now() {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0 - kReferenceDate;
}

} // namespace cadrelle
