#include "ui/SettingsWindow.h"
#include "WidgetQueries.h"
#include "model/ModelFixture.h"
#include "ui/AppView.h"
#include "ui/MainView.h"
#include "ui/OnboardingView.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

using test::findButton;
using test::visibleTexts;

class SettingsWindowTest : public test::ModelFixture {
protected:
    QString geometry =
        QString::fromStdString((dir / "config" / "Lumivane" / "Cadrelle.conf").string());
};

// Each action's title and shortcut; "-" for a separator.
QStringList menuEntries(const QMenu& menu) {
    QStringList entries;
    for (const QAction* action : menu.actions()) {
        entries << (action->isSeparator()
                        ? u"-"_s
                        : action->text() + QLatin1Char(' ') + action->shortcut().toString());
    }
    return entries;
}

QAction* editAction(const SettingsWindow& window, const QString& title) {
    for (QAction* action : window.menuBar()->actions().at(1)->menu()->actions()) {
        if (action->text() == title) {
            return action;
        }
    }
    return nullptr;
}

TEST_F(SettingsWindowTest, HasItsTitleSizesAndMenus) {
    auto model = makeModel();
    SettingsWindow window(*model, geometry.toStdString());
    EXPECT_EQ(window.windowTitle(), u"Cadrelle Settings"_s);
    EXPECT_EQ(window.minimumSize(), QSize(820, 640));
    EXPECT_FALSE(window.isVisible()) << "made hidden";

    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), u"Cadrelle"_s);
    EXPECT_EQ(menus[1]->text(), u"Edit"_s);
    EXPECT_EQ(menuEntries(*menus[0]->menu()),
              QStringList({u"About Cadrelle "_s, u"Check for Updates\u2026 "_s, u"-"_s,
                           u"Quit Cadrelle Ctrl+Q"_s}));
    EXPECT_EQ(menuEntries(*menus[1]->menu()),
              QStringList(
                  {u"Cut Ctrl+X"_s, u"Copy Ctrl+C"_s, u"Paste Ctrl+V"_s, u"Select All Ctrl+A"_s}));
    EXPECT_FALSE(menus[0]->menu()->actions().at(1)->isEnabled())
        << "a build without an update feed cannot check for updates";

    EXPECT_EQ(window.quitAction(), menus[0]->menu()->actions().at(3));
    EXPECT_EQ(window.quitAction()->shortcutContext(), Qt::ApplicationShortcut);
    QSignalSpy quit(&window, &SettingsWindow::quitRequested);
    window.quitAction()->trigger();
    EXPECT_EQ(quit.count(), 1);
}

TEST_F(SettingsWindowTest, EditCommandsGoToTheFieldTheUserWasIn) {
    auto model = makeModel();
    SettingsWindow window(*model, geometry.toStdString());
    QLineEdit field(u"framed captures"_s);
    field.show();
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    field.setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &field);

    editAction(window, u"Select All"_s)->trigger();
    EXPECT_EQ(field.selectedText(), u"framed captures"_s);
    editAction(window, u"Cut"_s)->trigger();
    EXPECT_EQ(field.text(), u""_s);
    editAction(window, u"Paste"_s)->trigger();
    EXPECT_EQ(field.text(), u"framed captures"_s);
}

TEST_F(SettingsWindowTest, EditMenuCopiesAndPastesInTheSimulatorTimePage) {
    auto model = makeSetUpModel(false);
    SettingsWindow window(*model, geometry.toStdString());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* time = window.findChild<QTimeEdit*>();
    ASSERT_NE(time, nullptr);
    QClipboard& system = *QApplication::clipboard();

    // A menu used from the keyboard takes the focus while it is open; the
    // commands still go to the field the user was in.
    time->setFocus();
    window.menuBar()->setFocus();
    editAction(window, u"Select All"_s)->trigger();
    editAction(window, u"Copy"_s)->trigger();
    EXPECT_EQ(system.text(), u"09:41"_s);
    system.setText(u"10:15"_s);
    time->setFocus();
    editAction(window, u"Select All"_s)->trigger();
    editAction(window, u"Paste"_s)->trigger();
    EXPECT_EQ(time->text(), u"10:15"_s);
    EXPECT_EQ(model->preferences().simulatorTimeMinutes, 615);

    // The status line below the field: selected, then copied with Ctrl+C,
    // the Edit menu or its own context menu.
    const QString status = QString::fromStdString(model->simulatorTimeStatus().message);
    QLabel* line = nullptr;
    for (auto* label : window.findChildren<QLabel*>()) {
        line = label->text() == status ? label : line;
    }
    ASSERT_NE(line, nullptr) << status.toStdString();
    line->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), line) << "the line takes the focus to be copied from";
    system.clear();
    editAction(window, u"Select All"_s)->trigger();
    EXPECT_EQ(line->selectedText(), status);
    QTest::keyClick(line, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(system.text(), status) << "Ctrl+C";

    system.clear();
    line->setSelection(0, 0);
    window.menuBar()->setFocus();
    editAction(window, u"Select All"_s)->trigger();
    editAction(window, u"Copy"_s)->trigger();
    EXPECT_EQ(system.text(), status) << "the Edit menu's Copy";

    // Right-clicked without a selection, "Copy" takes the whole line.
    system.clear();
    line->setSelection(0, 0);
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(2, 2),
                              line->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(line, &request);
    auto* menu = test::topLevel<QMenu>();
    ASSERT_NE(menu, nullptr) << "the line has a context menu";
    QAction* copy = nullptr;
    for (QAction* action : menu->actions()) {
        copy = action->text() == u"Copy"_s ? action : copy;
    }
    ASSERT_NE(copy, nullptr);
    copy->trigger();
    menu->close();
    EXPECT_EQ(system.text(), status) << "the context menu's Copy";
}

TEST_F(SettingsWindowTest, ClosingHidesAndThePlaceIsKeptForTheNextRun) {
    auto model = makeModel();
    { SettingsWindow unseen(*model, geometry.toStdString()); }
    EXPECT_FALSE(QSettings(geometry, QSettings::IniFormat).contains("LumivaneSidebarSettings"))
        << "a window never shown has no place to keep";

    QRect placed;
    {
        SettingsWindow window(*model, geometry.toStdString());
        window.showAndRaise();
        EXPECT_EQ(window.geometry(), QRect(270, 80, 900, 740)) << "centred on 1440 × 900";
        window.setGeometry(40, 60, 1000, 700);
        window.close();
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(QSettings(geometry, QSettings::IniFormat).contains("LumivaneSidebarSettings"));
        window.showAndRaise();
        EXPECT_EQ(window.geometry(), QRect(40, 60, 1000, 700)) << "the same window, same place";
        window.move(80, 90);
        placed = window.geometry();
    }
    // A later window that is never shown leaves the kept place alone.
    { SettingsWindow unseen(*model, geometry.toStdString()); }

    SettingsWindow next(*model, geometry.toStdString());
    next.showAndRaise();
    EXPECT_EQ(next.geometry(), placed);
}

TEST_F(SettingsWindowTest, SwitchesFromSetupToThePagesWhenSetupCompletes) {
    auto model = makeModel();
    SettingsWindow window(*model, geometry.toStdString());
    auto* root = qobject_cast<AppView*>(window.centralWidget());
    ASSERT_NE(root, nullptr);
    ASSERT_NE(qobject_cast<OnboardingView*>(root->currentView()), nullptr);

    QSignalSpy quit(&window, &SettingsWindow::quitRequested);
    findButton(window, u"Quit"_s)->click();
    EXPECT_EQ(quit.count(), 1) << "the setup's Quit";

    panels->answers.push_back({input});
    findButton(*root->currentView(), u"Choose Folder\u2026"_s)->click();
    model->folderSetup().selectFolder(output, false);
    // Return is the setup's default action.
    window.showAndRaise();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_Return);
    ASSERT_TRUE(test::waitUntil([&] { return model->preferences().completedSetup; }));
    auto* pages = qobject_cast<MainView*>(root->currentView());
    ASSERT_NE(pages, nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(root->findChildren<OnboardingView*>().size(), 0);

    auto* sidebar = pages->findChild<QListWidget*>();
    ASSERT_NE(sidebar, nullptr);
    QStringList titles;
    for (int row = 0; row < sidebar->count(); ++row) {
        titles << sidebar->item(row)->text();
    }
    EXPECT_EQ(titles,
              QStringList({u"General"_s, u"Capture"_s, u"Quick Access"_s, u"Device Frames"_s,
                           u"Recordings"_s, u"Simulator Time"_s, u"About"_s}));
    QStringList texts = visibleTexts(*pages);
    EXPECT_TRUE(texts.contains(u"Cadrelle"_s) && texts.contains(u"Settings"_s));
    EXPECT_TRUE(texts.contains(u"General"_s)) << "the first page's title";
    sidebar->setCurrentRow(5);
    texts = visibleTexts(*pages);
    EXPECT_TRUE(texts.contains(u"Simulator Time"_s));
    EXPECT_FALSE(texts.contains(u"General"_s));

    findButton(*pages, u"Open Captures\u2026"_s)->click();
    EXPECT_EQ(panels->shown.back().title,
              "Choose PNG screenshots or saved MP4 recordings from Glimmerbox.");
}

} // namespace
} // namespace cadrelle
