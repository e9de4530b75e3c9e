#include "TestApplication.h"
#include "app/AppDelegate.h"
#include "app/DesktopModelSetup.h"
#include "capture/CaptureHistory.h"
#include "capture/ScreenshotInbox.h"
#include "model/SetupFolders.h"
#include "support/CaptureTestSupport.h"
#include "support/TempDir.h"
#include "ui/CapturePreview.h"
#include "ui/FittedImage.h"
#include "ui/SettingsWindow.h"
#include "ui/quickaccess/CardImageView.h"
#include "ui/quickaccess/ScreenshotCard.h"
#include "ui/quickaccess/StampedImage.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;

struct RecordedAlerts : AlertPresenter {
    void launchFailed(const std::string& description) override { shown.push_back(description); }
    std::vector<std::string> shown;
};

// A pipe named where the application expects a picture would make a reader
// wait forever for a writer; the start must go on and show no picture.
TEST(UnreadableFilesTest, PipesNamedByTheHistoryOrAnInboxItemNeverHoldUpTheStart) {
    test::ensureApplication();
    test::TempDir dir;
    const fs::path data = dir / "data";
    const fs::path input = dir / "captures";
    const fs::path output = dir / "export";
    fs::create_directories(input);
    fs::create_directories(output);
    const test::TestLibrary shipped = test::makeTestLibrary(dir / "shipped", {{20, 30}});

    Preferences preferences = test::completedSetup(input, output);
    preferences.screenshotPreviewEnabled = true;
    preferences.save(data / "settings.json");

    // The history's latest capture is a pipe.
    const fs::path pipe = output / "shot-framed-0123456789abcdef.png";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    CaptureHistory history(data / "history.json");
    ASSERT_FALSE(
        history.remember({"id-1", 0, (input / "shot.png").string(), pipe.string(), "Phone"}));

    // So is the framed picture of a pending Quick Access item.
    const ScreenshotInbox inbox(data / "Screenshot Inbox");
    const std::string id(64, 'a');
    fs::create_directories(inbox.directory() / id);
    const fs::path framed = inbox.directory() / id / "shot-framed-aaaaaaaaaaaaaaaa.png";
    ASSERT_EQ(::mkfifo(framed.c_str(), 0600), 0);
    inbox.store({{id, 0, (input / "shot.png").string(), framed.string(), "Phone"},
                 shipped.assets[0].id,
                 output.string(),
                 PendingScreenshot::State::pending,
                 false});

    AppModelSetup setup = desktopModelSetup(data, test::kTestProgram);
    setup.shippedFrames = shipped.library.directory;
    const auto alerts = std::make_shared<RecordedAlerts>();
    AppDelegate delegate(std::move(setup), AppLaunch{false, {}, dir / "config" / "Cadrelle.conf"},
                         alerts);
    ASSERT_EQ(delegate.launch(), AppDelegate::Launched::running);
    EXPECT_TRUE(delegate.settingsWindow()->isVisible());
    EXPECT_TRUE(alerts->shown.empty());

    // The latest capture's preview ends its read with nothing to show.
    const auto* preview = delegate.settingsWindow()->findChild<CapturePreview*>();
    ASSERT_NE(preview, nullptr);
    bool loaded = false;
    QObject::connect(preview, &CapturePreview::pictureLoaded, preview, [&] { loaded = true; });
    ASSERT_TRUE(test::waitUntil([&] { return loaded; }));
    EXPECT_TRUE(preview->findChild<FittedImage*>()->picture().isNull());

    // So does the pending item's card.
    ASSERT_EQ(delegate.model()->quickAccess().pendingScreenshots().size(), 1u);
    ScreenshotCard* card = nullptr;
    ASSERT_TRUE(test::waitUntil([&] {
        for (QWidget* widget : QApplication::allWidgets()) {
            card = card != nullptr ? card : qobject_cast<ScreenshotCard*>(widget);
        }
        return card != nullptr;
    }));
    const auto* image = card->findChild<StampedImage*>();
    const auto* view = card->findChild<CardImageView*>();
    EXPECT_TRUE(test::waitUntil([&] {
        return image->requested(framed, view->size() * view->devicePixelRatioF()) && !image->busy();
    }));
    EXPECT_TRUE(view->picture().isNull());
    delegate.model()->shutdown();
}

} // namespace
} // namespace cadrelle
