#include "GeneralPage.h"

#include "FolderRow.h"
#include "PageGroup.h"
#include "PreferenceEditing.h"
#include "ToggleRow.h"
#include "model/AppModel.h"

#include <QVBoxLayout>

namespace cadrelle {

GeneralPage::GeneralPage(AppModel& model, QWidget* parent) : QWidget(parent) {
    // Starting with the session is the desktop's setting, not a preference:
    // the model registers the program and reports what the desktop says.
    auto* login = new ToggleRow(QStringLiteral("Launch at login"));
    auto showLogin = [login, &model] { login->setOn(model.launchAtLogin()); };
    showLogin();
    connect(&model, &AppModel::launchAtLoginChanged, login, showLogin);
    connect(login, &ToggleRow::changed, &model, &AppModel::setLaunchAtLogin);

    auto* app = new PageGroup(QStringLiteral("App"));
    app->addRow(login);
    app->addRow(preferenceToggle(model, QStringLiteral("Show icon in system tray"),
                                 &Preferences::showMenuBarIcon, false));

    auto* exportGroup = new PageGroup(
        QStringLiteral("Export"),
        QStringLiteral("Save or swipe right in Quick Access to use this folder. Recordings export "
                       "here after you choose a format."));
    exportGroup->addRow(new FolderRow(model, QStringLiteral("Export location"), false));

    auto* afterCapture = new PageGroup(QStringLiteral("After Capture"));
    afterCapture->addRow(preferenceToggle(model, QStringLiteral("Show screenshot in Quick Access"),
                                          &Preferences::screenshotPreviewEnabled, true));
    afterCapture->addRow(preferenceToggle(model, QStringLiteral("Preview exported recordings"),
                                          &Preferences::previewAfterCapture, false));

    auto* layout = pageLayout(*this);
    layout->addWidget(app);
    layout->addWidget(exportGroup);
    layout->addWidget(afterCapture);
    layout->addWidget(
        footnote(QStringLiteral("Cadrelle runs in the background without a taskbar entry. Open it "
                                "from your applications menu whenever you need Settings.")));
}

} // namespace cadrelle
