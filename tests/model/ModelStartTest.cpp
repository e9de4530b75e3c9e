#include "ModelFixture.h"

#include "capture/CaptureWatcher.h"
#include "capture/WatchConfiguration.h"
#include "core/FileIO.h"
#include "support/Messages.h"

#include <nlohmann/json.hpp>

namespace cadrelle::test {
namespace {

using ModelStart = ModelFixture;

TEST_F(ModelStart, AFreshDataFolderMergesTheShippedFramesAndWaitsForSetup) {
    const auto model = makeModel();
    EXPECT_TRUE(std::filesystem::is_directory(data / "Frames"));
    ASSERT_EQ(model->frames().size(), shipped.assets.size());
    for (std::size_t i = 0; i < shipped.assets.size(); ++i) {
        EXPECT_EQ(model->frames()[i].id, shipped.assets[i].id);
        EXPECT_TRUE(model->frames()[i].isBundled.value_or(false));
    }
    // No preferred frame yet: the first shipped frame stands in and is saved.
    EXPECT_EQ(model->preferences().selectedFrameID, shipped.assets.front().id);
    const auto saved = nlohmann::json::parse(readText(data / "settings.json"));
    EXPECT_EQ(saved.at("selectedFrameID"), shipped.assets.front().id);
    EXPECT_EQ(model->status(), "Choose your folders to get started");
    EXPECT_FALSE(model->isWatching());
    EXPECT_FALSE(model->folderSetup().canCompleteSetup());
}

TEST_F(ModelStart, SettingsAreRewrittenInFullAndADamagedFileStopsTheStart) {
    writeText(data / "settings.json", R"({"previewAfterCapture": true})");
    makeModel().reset();
    const auto saved = nlohmann::json::parse(readText(data / "settings.json"));
    EXPECT_EQ(saved.at("previewAfterCapture"), true);
    EXPECT_EQ(saved.at("automaticallyMatch"), true) << "every key is written back";

    writeText(data / "history.json", "[{\"id\": 3}");
    writeText(data / "settings.json", R"({"automaticallyMatch": "yes"})");
    EXPECT_NE(messageOf([&] {
                  makeModel();
              }).find("The setting \"automaticallyMatch\" has a value of the wrong type."),
              std::string::npos);
    writeText(data / "settings.json", "{}");
    EXPECT_TRUE(makeModel()->captures().empty()) << "a damaged history loads as empty";
}

TEST_F(ModelStart, WatchingStartsAfterSetupAndReportsAFolderLockedElsewhere) {
    {
        const auto model = makeSetUpModel();
        EXPECT_TRUE(model->isWatching());
        EXPECT_EQ(model->status(), "Listening for screenshots and recordings");
        EXPECT_FALSE(model->errorMessage().has_value());
    }
    // Another watcher holds the capture folder: the model runs without one.
    WatchConfiguration other;
    other.input = resolvedPath(input);
    other.output = dir / "elsewhere";
    other.library = shipped.library;
    other.assets = shipped.assets;
    other.journal = dir / "other-journal.json";
    CaptureWatcher holder(other, {}, {}, {});
    const auto model = makeModel();
    EXPECT_FALSE(model->isWatching());
    EXPECT_EQ(model->status(), "Couldn't start watching");
    EXPECT_EQ(model->errorMessage(),
              "Another copy of Cadrelle is already watching this folder. Quit the other copy "
              "(including debug builds), then reopen Cadrelle.");
}

} // namespace
} // namespace cadrelle::test

namespace cadrelle::test {
namespace {

TEST_F(ModelStart, ADamagedInboxItemIsReportedAndTheSimulatorClockFollowsThePreferences) {
    std::filesystem::create_directories(data / "Screenshot Inbox");
    writeText(data / "Screenshot Inbox" / "ABCDEF.json", "{\"record\": 1}");
    const auto model = makeModel();
    EXPECT_TRUE(model->errorMessage().has_value());
    EXPECT_TRUE(model->quickAccess().pendingScreenshots().empty());

    Preferences preferences = model->preferences();
    preferences.simulatorTimeEnabled = true;
    model->setPreferences(preferences);
    model->updateSimulatorTime();
    EXPECT_EQ(model->simulatorTimeStatus(),
              (SimulatorTimeStatus{"Applying simulator time\u2026", false}));
    ASSERT_TRUE(waitUntil([&] { return model->simulatorTimeStatus().isError; }));
    EXPECT_EQ(model->simulatorTimeStatus().message,
              "Install Xcode and an iOS simulator to use the simulator time override.");
    preferences.simulatorTimeEnabled = false;
    model->setPreferences(preferences);
    model->updateSimulatorTime();
    EXPECT_EQ(model->simulatorTimeStatus(),
              (SimulatorTimeStatus{"Restoring simulator clocks\u2026", false}));
}

TEST_F(ModelStart, ShutdownAnswersOpenQuestionsStopsWatchingAndRunsOnce) {
    const auto model = makeSetUpModel(false);
    // A question of a batch that is still open when the application quits.
    model->frameManually({dir / "opened" / "clip.mp4"});
    ASSERT_TRUE(presenter->answer);
    model->shutdown();
    EXPECT_FALSE(model->isWatching());
    EXPECT_EQ(presenter->dismissed, 1);
    EXPECT_FALSE(model->errorMessage().has_value());
    ASSERT_TRUE(waitUntil([&] { return !model->framing().isWorking(); }))
        << "the declined batch has nothing left to frame";
    model->shutdown();
    EXPECT_EQ(presenter->dismissed, 1) << "a second shutdown does nothing";
}

} // namespace
} // namespace cadrelle::test
