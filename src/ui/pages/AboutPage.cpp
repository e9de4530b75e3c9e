#include "AboutPage.h"

#include "PageGroup.h"
#include "UpdateSettingsView.h"
#include "core/Installation.h"
#include "desktop/SupportLink.h"
#include "model/AppModel.h"
#include "ui/LabelStyle.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {

QString versionText(const QString& applicationVersion) {
    return applicationVersion.isEmpty() ? QStringLiteral("Development") : applicationVersion;
}

AboutPage::AboutPage(AppModel& model, QWidget* parent, SupportLink* supportLink) : QWidget(parent) {
    if (supportLink == nullptr) {
        supportLink =
            new SupportLink(QStringLiteral(CADRELLE_SUPPORT_URL), Installation::running(), this);
    } else {
        supportLink->setParent(this);
    }
    auto* name = new QLabel(QStringLiteral("Cadrelle"));
    setFontPoints(*name, 17, QFont::Bold);

    auto* support = new QPushButton(QStringLiteral("Contact Support"));
    support->setFlat(true);
    support->setAutoDefault(false);
    support->setCursor(Qt::PointingHandCursor);
    QPalette linkColours = support->palette();
    linkColours.setColor(QPalette::ButtonText, linkColours.color(QPalette::Link));
    support->setPalette(linkColours);
    // Why the last press of "Contact Support" opened nothing.
    auto* supportFailure = new QLabel;
    supportFailure->setWordWrap(true);
    supportFailure->setTextInteractionFlags(Qt::TextSelectableByMouse);
    supportFailure->hide();
    connect(support, &QPushButton::clicked, this, [supportLink, supportFailure] {
        supportFailure->hide();
        supportLink->open([failure = QPointer(supportFailure)](const std::string& sentence) {
            if (failure) {
                failure->setText(QString::fromStdString(sentence));
                failure->show();
            }
        });
    });

    auto* facts = new QGridLayout;
    facts->setColumnStretch(1, 1);
    facts->addWidget(new QLabel(QStringLiteral("Version")), 0, 0);
    facts->addWidget(new QLabel(versionText(QCoreApplication::applicationVersion())), 0, 1);
    facts->addWidget(new QLabel(QStringLiteral("Need a hand?")), 1, 0);
    facts->addWidget(support, 1, 1, Qt::AlignLeft);
    facts->addWidget(supportFailure, 2, 0, 1, 2);

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
