#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

QT_BEGIN_NAMESPACE
class QAction;
class QMenu;
class QSystemTrayIcon;
QT_END_NAMESPACE

namespace cadrelle {

class AppModel;

// The tray icon, present exactly while the "showMenuBarIcon" preference is
// on. Its menu (also popped up by a left click): "Settings…", "Open Output
// Folder", "Check for Updates…" and the application's quit action.
class TrayIcon final : public QObject {
    Q_OBJECT

public:
    // `showSettings` brings the settings window forward; `quitAction` is the
    // application's "Quit Cadrelle" with its shortcut. Shows the icon at once
    // when the preference is on.
    TrayIcon(AppModel& model, std::function<void()> showSettings, QAction* quitAction);
    ~TrayIcon() override;

    // Adds or removes the icon to match the preference.
    void update();

    // The icon while it is shown, else none.
    QSystemTrayIcon* systemIcon() const { return tray_.get(); }
    QMenu* menu() const { return menu_.get(); }

    // The tray artwork (resource "StatusIcon") drawn at 16, 22, 24 and 32
    // pixels; a theme icon if the artwork can't be read.
    static QIcon icon();

private:
    void create();

    AppModel& model_;
    std::function<void()> showSettings_;
    QPointer<QAction> quitAction_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
};

} // namespace cadrelle
