#include "ModelFixture.h"

#include "capture/ScreenshotInbox.h"
#include "support/Mp4Maker.h"

#include <algorithm>

namespace cadrelle::test {
namespace {

using ModelWatching = ModelFixture;

TEST_F(ModelWatching, NewScreenshotsWaitInQuickAccessOrGoStraightToTheHistory) {
    {
        const auto model = makeSetUpModel(true);
        screenshot("Simulator Screenshot - 1.png");
        ASSERT_TRUE(waitUntil([&] { return !model->quickAccess().pendingScreenshots().empty(); }))
            << model->errorMessage().value_or("no error") << " / " << model->status();
        const PendingScreenshot item = model->quickAccess().pendingScreenshots().front();
        EXPECT_EQ(item.state, PendingScreenshot::State::pending);
        EXPECT_TRUE(std::filesystem::exists(item.record.output));
        EXPECT_TRUE(model->captures().empty()) << "history only once saved or shared";
        EXPECT_TRUE(entriesOf(output).empty());
    }
    const auto model = makeSetUpModel(false);
    screenshot("Simulator Screenshot - 2.png");
    ASSERT_TRUE(waitUntil([&] { return !model->captures().empty(); }));
    const CaptureRecord record = model->captures().front();
    EXPECT_EQ(std::filesystem::path(record.output).parent_path(), output);
    EXPECT_TRUE(std::filesystem::exists(record.output));
    EXPECT_EQ(model->selectedCapture(), record);
    EXPECT_EQ(model->quickAccess().pendingScreenshots().size(), 1u)
        << "the earlier item stays pending";
}

TEST_F(ModelWatching, ARestartWithdrawsTheOldRunsQuestionAndTheNewRunAsksAgain) {
    std::vector<std::string> progress;
    const auto model = makeSetUpModel(false);
    makeMp4(input / "Simulator Screen Recording - 1.mp4", Mp4Spec{});
    ASSERT_TRUE(waitUntil([&] { return presenter->answer != nullptr; }));
    EXPECT_EQ(presenter->presented.back(),
              std::vector<std::string>{"Simulator Screen Recording - 1.mp4"});

    model->savePreferences(true);
    EXPECT_TRUE(model->isWatching());
    EXPECT_EQ(presenter->dismissed, 1) << "the old run's question is withdrawn";
    EXPECT_FALSE(presenter->answer);

    // The new run settles the recording again and asks once more.
    QObject::connect(model.get(), &AppModel::watchExportStatusChanged, model.get(),
                     [&] { progress.push_back(model->watchExportStatus().value_or("none")); });
    ASSERT_TRUE(waitUntil([&] { return presenter->answer != nullptr; }));
    EXPECT_EQ(presenter->presented.size(), 2u);
    presenter->choose(VideoExportFormat::mp4);
    ASSERT_TRUE(waitUntil([&] { return !model->captures().empty(); }));
    EXPECT_EQ(std::filesystem::path(model->captures().front().output).extension(), ".mp4");
    ASSERT_TRUE(waitUntil([&] { return !model->watchExportStatus().has_value(); }));
    EXPECT_NE(std::find(progress.begin(), progress.end(), "Framing recording \u00B7 0%"),
              progress.end());
    EXPECT_EQ(progress.back(), "none");
}

TEST_F(ModelWatching, QuittingWithAQuestionOpenLeavesTheRecordingForTheNextStart) {
    {
        const auto model = makeSetUpModel(false);
        makeMp4(input / "Simulator Screen Recording - 1.mp4", Mp4Spec{});
        ASSERT_TRUE(waitUntil([&] { return presenter->answer != nullptr; }));
        model->shutdown();
        EXPECT_FALSE(presenter->answer) << "the question is withdrawn";
    }
    // Withdrawn is not declined: the next start asks again and frames it.
    const auto model = makeModel();
    ASSERT_TRUE(waitUntil([&] { return presenter->answer != nullptr; }));
    EXPECT_EQ(presenter->presented.size(), 2u);
    presenter->choose(VideoExportFormat::mp4);
    ASSERT_TRUE(waitUntil([&] { return !model->captures().empty(); }));
    EXPECT_EQ(std::filesystem::path(model->captures().front().output).extension(), ".mp4");
}

} // namespace
} // namespace cadrelle::test
