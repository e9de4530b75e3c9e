#include "SettingsWindow.h"

#include "AppView.h"
#include "EditCommands.h"
#include "WindowPlacement.h"
#include "model/AppModel.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>

namespace cadrelle {
namespace {

const QString kGeometryKey = QStringLiteral("LumivaneSidebarSettings");
constexpr QSize kInitialSize(900, 740);
constexpr QSize kMinimumSize(820, 640);

QString settingsPath(const std::filesystem::path& file) {
    return QString::fromStdString(file.string());
}

} // namespace

SettingsWindow::SettingsWindow(AppModel& model, std::filesystem::path geometryFile, QWidget* parent)
    : QMainWindow(parent), geometryFile_(std::move(geometryFile)),
      quitAction_(new QAction(QStringLiteral("Quit Cadrelle"), this)) {
    setWindowTitle(QStringLiteral("Cadrelle Settings"));
    setMinimumSize(kMinimumSize);
    resize(kInitialSize);

    quitAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quitAction_->setShortcutContext(Qt::ApplicationShortcut);
    connect(quitAction_, &QAction::triggered, this, &SettingsWindow::quitRequested);
    // Also on the window itself, so Ctrl+Q works where the menu bar is a
    // global menu outside the window.
    addAction(quitAction_);
    buildMenus(model);

    auto* view = new AppView(model);
    connect(view, &AppView::quitRequested, this, &SettingsWindow::quitRequested);
    setCentralWidget(view);
}

SettingsWindow::~SettingsWindow() {
    saveGeometryToFile();
}

void SettingsWindow::buildMenus(AppModel& model) {
    QMenu* app = menuBar()->addMenu(QStringLiteral("Cadrelle"));
    app->addAction(QStringLiteral("About Cadrelle"), this, [this] {
        const QString version = QApplication::applicationVersion();
        QMessageBox::about(
            this, QStringLiteral("About Cadrelle"),
            QStringLiteral("<b>Cadrelle</b><br>%1<br><br>Puts iOS simulator screenshots and "
                           "recordings into device frames.")
                .arg(version.isEmpty() ? QStringLiteral("Development")
                                       : QStringLiteral("Version ") + version));
    });
    AppUpdater& updater = model.updater();
    QAction* check = app->addAction(QStringLiteral("Check for Updates\u2026"), this,
                                    [&updater] { updater.checkForUpdates(); });
    check->setEnabled(updater.canCheckNow());
    connect(&updater, &AppUpdater::changed, check,
            [check, &updater] { check->setEnabled(updater.canCheckNow()); });
    app->addSeparator();
    app->addAction(quitAction_);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    auto* commands = new EditCommands(this);
    using Command = EditCommands::Command;
    const struct {
        const char* title;
        Qt::Key key;
        Command command;
    } entries[] = {{"Cut", Qt::Key_X, Command::cut},
                   {"Copy", Qt::Key_C, Command::copy},
                   {"Paste", Qt::Key_V, Command::paste},
                   {"Select All", Qt::Key_A, Command::selectAll}};
    for (const auto& entry : entries) {
        QAction* action =
            edit->addAction(QString::fromUtf8(entry.title), this,
                            [commands, command = entry.command] { commands->perform(command); });
        action->setShortcut(QKeySequence(Qt::CTRL | entry.key));
    }
}

void SettingsWindow::showAndRaise() {
    bringToFront(*this);
}

void SettingsWindow::setVisible(bool visible) {
    if (visible && !placed_) {
        placeFirstTime();
    }
    QMainWindow::setVisible(visible);
}

void SettingsWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    saveGeometryToFile();
}

void SettingsWindow::placeFirstTime() {
    placed_ = true;
    const QSettings settings(settingsPath(geometryFile_), QSettings::IniFormat);
    const QByteArray saved = settings.value(kGeometryKey).toByteArray();
    if (saved.isEmpty() || !restoreGeometry(saved)) {
        centreOnScreen(*this, kInitialSize);
    }
}

void SettingsWindow::saveGeometryToFile() const {
    if (!placed_) {
        return;
    }
    QSettings settings(settingsPath(geometryFile_), QSettings::IniFormat);
    settings.setValue(kGeometryKey, saveGeometry());
}

} // namespace cadrelle
