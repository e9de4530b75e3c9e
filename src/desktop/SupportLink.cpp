#include "SupportLink.h"

#include <QProcess>

#include <system_error>

namespace cadrelle {

SupportLink::SupportLink(QString builtAddress, Installation installation, QObject* parent)
    : QObject(parent), builtAddress_(std::move(builtAddress)),
      installation_(std::move(installation)) {}

SupportLink::~SupportLink() {
    for (QProcess* opener : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        opener->disconnect(this);
        if (opener->state() != QProcess::NotRunning) {
            // Only the xdg-open script ends; the application it started
            // has a life of its own.
            opener->kill();
            opener->waitForFinished(1000);
        }
    }
}

QUrl SupportLink::address() const {
    if (!builtAddress_.isEmpty()) {
        return QUrl(builtAddress_);
    }
    const auto readme =
        installation_.file(std::filesystem::path("share") / "doc" / "cadrelle" / "README.md");
    return QUrl::fromLocalFile(QString::fromStdString(readme.string()));
}

void SupportLink::open(Failed failed) {
    const QUrl url = address();
    const std::string shown =
        url.isLocalFile() ? url.toLocalFile().toStdString() : url.toString().toStdString();
    std::error_code error;
    if (url.isLocalFile() && !std::filesystem::is_regular_file(shown, error)) {
        failed("Cadrelle's README couldn't be opened because " + shown + " is missing.");
        emit openEnded();
        return;
    }
    // xdg-open ends with a failure status when no application takes the
    // file; it may also keep running as long as the application does.
    auto* opener = new QProcess(this);
    connect(opener, &QProcess::finished, this,
            [this, opener, failed, shown](int status, QProcess::ExitStatus how) {
                opener->deleteLater();
                if (how != QProcess::NormalExit || status != 0) {
                    failed("Couldn't open " + shown + ": no application to show it was found.");
                }
                emit openEnded();
            });
    connect(opener, &QProcess::errorOccurred, this,
            [this, opener, failed, shown](QProcess::ProcessError problem) {
                if (problem == QProcess::FailedToStart) {
                    opener->deleteLater();
                    failed("Couldn't open " + shown + " because xdg-open couldn't be started.");
                    emit openEnded();
                }
            });
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    opener->start(QStringLiteral("xdg-open"),
                  {url.isLocalFile() ? url.toLocalFile() : url.toString()});
}

} // namespace cadrelle
