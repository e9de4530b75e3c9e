#include "XdgLauncher.h"

#include "core/AppError.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace cadrelle {

namespace {

constexpr int kQueryLimitMs = 5000;

QString text(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Asks the file manager of the session to show the file selected; false when
// no file manager offers that.
bool showInFileManager(const std::filesystem::path& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(service).value()) {
        return false;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                       service, QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(text(path)).toString()} << QString();
    return bus.call(call, QDBus::Block, kQueryLimitMs).type() != QDBusMessage::ErrorMessage;
}

} // namespace

void XdgLauncher::open(const std::filesystem::path& path) {
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {text(path)})) {
        throw AppError("Couldn't open " + path.string() + ".");
    }
}

void XdgLauncher::reveal(const std::filesystem::path& path) {
    if (!showInFileManager(path)) {
        open(path.parent_path());
    }
}

bool XdgLauncher::hasImageEditor() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("image/png")});
    if (!query.waitForFinished(kQueryLimitMs) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0) {
        query.kill();
        query.waitForFinished(kQueryLimitMs);
        return false;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

void XdgLauncher::editImage(const std::filesystem::path& png) {
    open(png);
}

} // namespace cadrelle
