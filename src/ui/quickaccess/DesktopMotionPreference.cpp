#include "DesktopMotionPreference.h"

#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace cadrelle {

bool DesktopMotionPreference::reduceMotion() {
    constexpr qint64 kKeptMs = 2000;
    if (!age_.isValid() || age_.hasExpired(kKeptMs)) {
        cached_ = read();
        age_.start();
    }
    return cached_;
}

bool DesktopMotionPreference::reducesMotion(const std::optional<QString>& kdeAnimationFactor,
                                            const QString& gnomeEnableAnimations) {
    if (kdeAnimationFactor) {
        bool number = false;
        const double factor = kdeAnimationFactor->trimmed().toDouble(&number);
        if (number && factor == 0.0) {
            return true;
        }
    }
    return gnomeEnableAnimations.trimmed() == QStringLiteral("false");
}

bool DesktopMotionPreference::read() {
    std::optional<QString> factor;
    const QString kdeglobals =
        QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("kdeglobals"));
    if (!kdeglobals.isEmpty()) {
        const QSettings settings(kdeglobals, QSettings::IniFormat);
        const QVariant value = settings.value(QStringLiteral("KDE/AnimationDurationFactor"));
        if (value.isValid()) {
            factor = value.toString();
        }
    }
    QString gnome;
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (!gsettings.isEmpty()) {
        QProcess process;
        process.start(gsettings,
                      {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.interface"),
                       QStringLiteral("enable-animations")});
        constexpr int kLimitMs = 1000;
        if (process.waitForFinished(kLimitMs) && process.exitStatus() == QProcess::NormalExit &&
            process.exitCode() == 0) {
            gnome = QString::fromUtf8(process.readAllStandardOutput());
        } else {
            process.kill();
            process.waitForFinished();
        }
    }
    return reducesMotion(factor, gnome);
}

} // namespace cadrelle
