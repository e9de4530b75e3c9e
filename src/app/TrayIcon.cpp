#include "TrayIcon.h"

#include "model/AppModel.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QSystemTrayIcon>

namespace cadrelle {

TrayIcon::TrayIcon(AppModel& model, std::function<void()> showSettings, QAction* quitAction)
    : model_(model), showSettings_(std::move(showSettings)), quitAction_(quitAction) {
    connect(&model_, &AppModel::preferencesChanged, this, &TrayIcon::update);
    update();
}

TrayIcon::~TrayIcon() = default;

QIcon TrayIcon::icon() {
    QSvgRenderer artwork(QStringLiteral(":/StatusIcon"));
    if (!artwork.isValid()) {
        return QIcon::fromTheme(QStringLiteral("camera-photo"));
    }
    QIcon icon;
    for (const int size : {16, 22, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        artwork.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void TrayIcon::update() {
    if (model_.preferences().showMenuBarIcon) {
        if (!tray_) {
            create();
        }
    } else if (tray_) {
        tray_->hide();
        tray_.reset();
        menu_.reset();
    }
}

void TrayIcon::create() {
    menu_ = std::make_unique<QMenu>();
    connect(menu_->addAction(QStringLiteral("Settings\u2026")), &QAction::triggered, this,
            [this] { showSettings_(); });
    connect(menu_->addAction(QStringLiteral("Open Output Folder")), &QAction::triggered, this,
            [this] { model_.revealOutput(); });
    QAction* check = menu_->addAction(QStringLiteral("Check for Updates\u2026"));
    AppUpdater& updater = model_.updater();
    check->setEnabled(updater.canCheckNow());
    connect(check, &QAction::triggered, &updater, &AppUpdater::checkForUpdates);
    connect(&updater, &AppUpdater::changed, check,
            [check, &updater] { check->setEnabled(updater.canCheckNow()); });
    if (quitAction_) {
        menu_->addAction(quitAction_);
    }

    tray_ = std::make_unique<QSystemTrayIcon>(icon());
    tray_->setToolTip(QStringLiteral("Cadrelle"));
    tray_->setContextMenu(menu_.get());
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    menu_->popup(QCursor::pos());
                }
            });
    tray_->show();
}

} // namespace cadrelle
