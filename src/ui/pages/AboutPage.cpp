#include "AboutPage.h"

#include "PageGroup.h"
#include "UpdateSettingsView.h"
#include "model/AppModel.h"
#include "ui/LabelStyle.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {

QString versionText(const QString& applicationVersion) {
    return applicationVersion.isEmpty() ? QStringLiteral("Development") : applicationVersion;
}

QUrl supportAddress(const QString& builtAddress, const QString& applicationDirectory) {
    if (!builtAddress.isEmpty()) {
        return QUrl(builtAddress);
    }
    return QUrl::fromLocalFile(
        QDir::cleanPath(applicationDirectory + QStringLiteral("/../share/doc/cadrelle/README.md")));
}

AboutPage::AboutPage(AppModel& model, QWidget* parent) : QWidget(parent) {
    auto* name = new QLabel(QStringLiteral("Cadrelle"));
    setFontPoints(*name, 17, QFont::Bold);

    auto* support = new QPushButton(QStringLiteral("Contact Support"));
    support->setFlat(true);
    support->setAutoDefault(false);
    support->setCursor(Qt::PointingHandCursor);
    QPalette linkColours = support->palette();
    linkColours.setColor(QPalette::ButtonText, linkColours.color(QPalette::Link));
    support->setPalette(linkColours);
    connect(support, &QPushButton::clicked, this, [] {
        QDesktopServices::openUrl(supportAddress(QStringLiteral(CADRELLE_SUPPORT_URL),
                                                 QCoreApplication::applicationDirPath()));
    });

    auto* facts = new QGridLayout;
    facts->setColumnStretch(1, 1);
    facts->addWidget(new QLabel(QStringLiteral("Version")), 0, 0);
    facts->addWidget(new QLabel(versionText(QCoreApplication::applicationVersion())), 0, 1);
    facts->addWidget(new QLabel(QStringLiteral("Need a hand?")), 1, 0);
    facts->addWidget(support, 1, 1, Qt::AlignLeft);

    auto* updates = new PageGroup(QStringLiteral("Updates"));
    updates->addRow(new UpdateSettingsView(model.updater()));

    auto* background = new PageGroup(
        QStringLiteral("Background Capture"),
        QStringLiteral("Closing Settings leaves capture running. Quitting stops capture and "
                       "restores simulator status bars."));
    auto* quit = plainButton(QStringLiteral("Quit App"));
    connect(quit, &QPushButton::clicked, this, &AboutPage::quitRequested);
    auto* stop = new QHBoxLayout;
    stop->addWidget(new QLabel(QStringLiteral("Stop Cadrelle")), 1);
    stop->addWidget(quit);
    background->addRow(stop);

    auto* layout = pageLayout(*this);
    auto* identity = new QVBoxLayout;
    identity->setSpacing(8);
    identity->addWidget(name);
    identity->addLayout(facts);
    layout->addLayout(identity);
    layout->addWidget(updates);
    layout->addWidget(background);
}

} // namespace cadrelle
