#include "app/AppDelegate.h"
#include "TestApplication.h"
#include "app/DesktopModelSetup.h"
#include "app/InstanceLock.h"
#include "app/TrayIcon.h"
#include "model/SetupFolders.h"
#include "support/CaptureTestSupport.h"
#include "support/Messages.h"
#include "support/TempDir.h"
#include "ui/PreviewWindow.h"
#include "ui/SettingsWindow.h"
#include "ui/VideoFormatDialog.h"

#include <QAction>
#include <QApplication>
#include <QLocalServer>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;

const std::string kAlreadyRunning =
    "Cadrelle is already running. Open it from your applications menu or its tray icon.";

struct RecordedAlerts : AlertPresenter {
    void launchFailed(const std::string& description) override { shown.push_back(description); }
    std::vector<std::string> shown;
};

class AppDelegateTest : public ::testing::Test {
protected:
    AppDelegateTest() {
        test::ensureApplication();
        fs::create_directories(input);
        fs::create_directories(output);
    }

    std::unique_ptr<AppDelegate> makeDelegate(bool background, std::vector<fs::path> files = {}) {
        AppModelSetup setup = desktopModelSetup(data, test::kTestProgram);
        setup.shippedFrames = shipped.library.directory;
        return std::make_unique<AppDelegate>(
            std::move(setup), AppLaunch{background, std::move(files), geometry, handOverLimit},
            alerts);
    }

    // The state a finished first-run setup leaves in settings.json.
    void completeSetup() { test::completedSetup(input, output).save(data / "settings.json"); }

    static void setTrayIcon(AppModel& model, bool shown) {
        Preferences preferences = model.preferences();
        preferences.showMenuBarIcon = shown;
        model.setPreferences(preferences);
        model.savePreferences(false);
    }

    // A later launch hands its request over; the running copy in this
    // process handles it once the main thread gets to it.
    static void handOver(const std::unique_ptr<AppDelegate>& later) {
        ASSERT_EQ(later->launch(), AppDelegate::Launched::handedOver);
        QCoreApplication::sendPostedEvents();
    }

    // The format question on screen, if any.
    static VideoFormatDialog* openQuestion() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* question = qobject_cast<VideoFormatDialog*>(window);
                question != nullptr && question->isVisible()) {
                return question;
            }
        }
        return nullptr;
    }

    static bool anyWindowShown() {
        const auto windows = QApplication::topLevelWidgets();
        return std::any_of(windows.begin(), windows.end(),
                           [](const QWidget* window) { return window->isVisible(); });
    }

    test::TempDir dir;
    fs::path data = dir / "data";
    fs::path input = dir / "captures";
    fs::path output = dir / "export";
    fs::path geometry = dir / "config" / "Cadrelle.conf";
    std::chrono::milliseconds handOverLimit = std::chrono::seconds(2);
    test::TestLibrary shipped = test::makeTestLibrary(dir / "shipped", {{20, 30}});
    std::shared_ptr<RecordedAlerts> alerts = std::make_shared<RecordedAlerts>();
};

TEST_F(AppDelegateTest, ABackgroundStartAfterSetupStaysHiddenUntilALaterLaunchAsks) {
    completeSetup();
    auto running = makeDelegate(true);
    ASSERT_EQ(running->launch(), AppDelegate::Launched::running);
    ASSERT_NE(running->settingsWindow(), nullptr);
    EXPECT_FALSE(anyWindowShown());
    EXPECT_EQ(running->previewWindow(), nullptr) << "made on first use only";
    EXPECT_EQ(running->trayIcon()->systemIcon(), nullptr) << "the tray icon is off by default";
    EXPECT_TRUE(running->model()->isWatching());

    // Later launches hand their request over and end.
    handOver(makeDelegate(true));
    EXPECT_FALSE(running->settingsWindow()->isVisible()) << "a background start shows nothing";
    handOver(makeDelegate(false));
    EXPECT_TRUE(running->settingsWindow()->isVisible()) << "a start by hand reopens the window";
    EXPECT_TRUE(alerts->shown.empty());
}

TEST_F(AppDelegateTest, UntilSetupIsDoneTheWindowOpensAndOpenedFilesWait) {
    auto delegate = makeDelegate(true, {dir / "shot.png"});
    ASSERT_EQ(delegate->launch(), AppDelegate::Launched::running);
    EXPECT_TRUE(delegate->settingsWindow()->isVisible()) << "setup first, even in the background";
    EXPECT_EQ(delegate->model()->errorMessage(),
              "Finish setup first, then use Open Captures to frame existing screenshots and "
              "recordings.");
    EXPECT_FALSE(fs::exists(data / "Lumivane")) << "the given data folder is used as it is";
    EXPECT_TRUE(fs::exists(data / "instance.lock"));
}

TEST_F(AppDelegateTest, FilesHandedOverWhileAQuestionIsOpenAreAllFramedInOrder) {
    completeSetup();
    auto running = makeDelegate(true);
    ASSERT_EQ(running->launch(), AppDelegate::Launched::running);
    AppModel& model = *running->model();
    model.frameManually({dir / "clip.mp4"});
    VideoFormatDialog* question = openQuestion();
    ASSERT_NE(question, nullptr);

    std::vector<std::string> shots;
    fs::create_directories(dir / "opened");
    for (const std::string name : {"1.png", "Simulator Screenshot \xff.png", "3.png"}) {
        const fs::path shot = dir / "opened" / name;
        test::writeScreenshot(shot, 20, 30);
        shots.push_back(shot.string());
        handOver(makeDelegate(true, {shot}));
    }
    question->reject();
    ASSERT_TRUE(test::waitUntil([&] {
        return model.quickAccess().pendingScreenshots().size() == 3;
    })) << model.errorMessage().value_or("no error");
    std::vector<std::string> framed;
    for (const PendingScreenshot& item : model.quickAccess().pendingScreenshots()) {
        framed.push_back(item.record.original);
        EXPECT_TRUE(fs::exists(item.record.output));
    }
    EXPECT_EQ(framed, shots);
    EXPECT_FALSE(model.errorMessage().has_value()) << *model.errorMessage();
}

TEST_F(AppDelegateTest, ReopeningRestoresAMinimisedWindowAndKeepsAnOpenQuestionInFront) {
    completeSetup();
    auto running = makeDelegate(true);
    ASSERT_EQ(running->launch(), AppDelegate::Launched::running);
    SettingsWindow& window = *running->settingsWindow();
    setTrayIcon(*running->model(), true);
    QAction* traySettings = running->trayIcon()->menu()->actions().at(0);
    const auto minimised = [&] {
        window.showMinimized();
        EXPECT_TRUE(window.isMinimized());
    };

    minimised();
    handOver(makeDelegate(false));
    EXPECT_TRUE(window.isVisible() && !window.isMinimized()) << "reopening the application";
    minimised();
    traySettings->trigger();
    EXPECT_TRUE(window.isVisible() && !window.isMinimized()) << "the tray's Settings…";
    minimised();
    handOver(makeDelegate(true, {dir / "missing.png"}));
    EXPECT_TRUE(window.isVisible() && !window.isMinimized()) << "opened files";

    // The opened file's job may still run: the recording's question comes
    // once it has ended.
    running->model()->frameManually({dir / "clip.mp4"});
    ASSERT_TRUE(test::waitUntil([&] { return openQuestion() != nullptr; }));
    VideoFormatDialog* question = openQuestion();
    window.activateWindow();
    ASSERT_TRUE(test::waitUntil([&] { return QApplication::activeWindow() == &window; }));
    handOver(makeDelegate(false));
    EXPECT_TRUE(test::waitUntil([&] { return QApplication::activeWindow() == question; }))
        << "the question, not the settings window, is in front";
    EXPECT_TRUE(window.isVisible());
    question->reject();
}

TEST_F(AppDelegateTest, TheTrayIconFollowsThePreferenceWithItsMenu) {
    auto delegate = makeDelegate(true);
    ASSERT_EQ(delegate->launch(), AppDelegate::Launched::running);
    delegate->settingsWindow()->hide();
    TrayIcon& item = *delegate->trayIcon();
    ASSERT_EQ(item.systemIcon(), nullptr);

    for (int round = 0; round < 2; ++round) {
        setTrayIcon(*delegate->model(), true);
        ASSERT_NE(item.systemIcon(), nullptr) << round;
        EXPECT_EQ(item.systemIcon()->toolTip(), QStringLiteral("Cadrelle"));
        QStringList titles;
        for (const QAction* action : item.menu()->actions()) {
            titles << action->text();
        }
        EXPECT_EQ(titles, (QStringList{QStringLiteral("Settings\u2026"),
                                       QStringLiteral("Open Output Folder"),
                                       QStringLiteral("Check for Updates\u2026"),
                                       QStringLiteral("Quit Cadrelle")}));
        const auto actions = item.menu()->actions();
        EXPECT_FALSE(actions[2]->isEnabled()) << "this build has no update feed";
        EXPECT_EQ(actions[3]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        EXPECT_EQ(actions[3], delegate->settingsWindow()->quitAction()) << "one Ctrl+Q";

        actions[0]->trigger();
        EXPECT_TRUE(delegate->settingsWindow()->isVisible());
        delegate->settingsWindow()->hide();

        setTrayIcon(*delegate->model(), false);
        EXPECT_EQ(item.systemIcon(), nullptr) << round;
    }
}

TEST_F(AppDelegateTest, ThePreviewWindowIsMadeOnceAndShownOnEveryRequest) {
    auto delegate = makeDelegate(true);
    ASSERT_EQ(delegate->launch(), AppDelegate::Launched::running);
    delegate->model()->showPreview();
    PreviewWindow* preview = delegate->previewWindow();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    preview->close();
    EXPECT_FALSE(preview->isVisible());
    delegate->model()->showPreview();
    EXPECT_EQ(delegate->previewWindow(), preview);
    EXPECT_TRUE(preview->isVisible());

    // The model can also close the settings window.
    delegate->showWindow();
    delegate->model()->closeSettings();
    EXPECT_FALSE(delegate->settingsWindow()->isVisible());
}

TEST_F(AppDelegateTest, QuittingShutsTheModelDownOnceAndEndsWithSuccess) {
    completeSetup();
    auto delegate = makeDelegate(true);
    ASSERT_EQ(delegate->launch(), AppDelegate::Launched::running);
    AppModel& model = *delegate->model();
    ASSERT_TRUE(model.isWatching());
    int stops = 0;
    QObject::connect(&model, &AppModel::isWatchingChanged, &model, [&stops] { ++stops; });
    QTimer::singleShot(0, delegate->settingsWindow()->quitAction(), &QAction::trigger);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(model.isWatching());
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(model.updater().workIsInProgress());
}

TEST_F(AppDelegateTest, AFailedLaunchSaysWhyAndOpensNothing) {
    // A damaged settings file.
    fs::create_directories(data);
    test::writeText(data / "settings.json", R"({"automaticallyMatch":"yes"})");
    const std::string damaged = test::messageOf([&] { Preferences::load(data / "settings.json"); });
    ASSERT_NE(damaged, "");
    auto delegate = makeDelegate(false);
    EXPECT_EQ(delegate->launch(), AppDelegate::Launched::failed);
    EXPECT_EQ(alerts->shown, std::vector<std::string>{damaged});
    EXPECT_EQ(delegate->settingsWindow(), nullptr);
    EXPECT_EQ(delegate->trayIcon(), nullptr);
    EXPECT_FALSE(anyWindowShown());
    delegate.reset();
    fs::remove(data / "settings.json");

    // A socket that can't be made: later launches couldn't reach this copy.
    const std::string socket = InstanceForwarder::socketName(data).toStdString();
    fs::create_directories(socket);
    alerts->shown.clear();
    EXPECT_EQ(makeDelegate(false)->launch(), AppDelegate::Launched::failed);
    EXPECT_EQ(alerts->shown, std::vector<std::string>{"Later launches can't reach Cadrelle: " +
                                                      socket + ": Address already in use"});
    EXPECT_FALSE(anyWindowShown());
    fs::remove(socket);

    // Another holder of the lock that takes no requests. Such a copy never
    // answers, however long the launch would wait.
    handOverLimit = std::chrono::milliseconds(0);
    const InstanceLock held(data / "instance.lock");
    alerts->shown.clear();
    EXPECT_EQ(makeDelegate(false)->launch(), AppDelegate::Launched::failed);
    EXPECT_EQ(alerts->shown, std::vector<std::string>{kAlreadyRunning});

    // One that listens but never answers: the launch gives up.
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(InstanceForwarder::socketName(data)));
    alerts->shown.clear();
    EXPECT_EQ(makeDelegate(false)->launch(), AppDelegate::Launched::failed);
    EXPECT_EQ(alerts->shown, std::vector<std::string>{kAlreadyRunning});
    EXPECT_FALSE(anyWindowShown());
}

} // namespace
} // namespace cadrelle
