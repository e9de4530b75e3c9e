#include "ModelFixture.h"

#include "capture/ScreenshotInbox.h"

namespace cadrelle::test {
namespace {

class QuickAccess : public ModelFixture {
protected:
    // A model with Quick Access on and one pending item, framed by hand.
    void SetUp() override {
        model = makeSetUpModel(true);
        const auto shot = dir / "opened" / "Screenshot 1.png";
        writeScreenshot(shot, 20, 30);
        model->frameManually({shot});
        ASSERT_TRUE(waitUntil([&] { return !model->quickAccess().pendingScreenshots().empty(); }));
        item = model->quickAccess().pendingScreenshots().front();
    }

    std::optional<PendingScreenshot> stored() const {
        return ScreenshotInbox(data / "Screenshot Inbox").item(item.record.id);
    }

    std::unique_ptr<AppModel> model;
    PendingScreenshot item;
};

TEST_F(QuickAccess, SavingPicksAFreeNameAndEntersTheHistory) {
    const std::string base = std::filesystem::path(item.record.output).stem().string();
    writeText(output / (base + ".png"), "taken");
    model->quickAccess().saveScreenshot(item);
    EXPECT_TRUE(model->quickAccess().pendingScreenshots().empty());
    ASSERT_EQ(model->captures().size(), 1u);
    EXPECT_EQ(model->captures().front().output, (output / (base + "-1.png")).string());
    EXPECT_EQ(readText(output / (base + ".png")), "taken");
    EXPECT_EQ(stored()->state, PendingScreenshot::State::saved);
    // A finished item takes no more actions.
    model->quickAccess().saveScreenshot(item);
    EXPECT_EQ(model->captures().size(), 1u);
}

TEST_F(QuickAccess, SaveElsewhereAsksForAFolder) {
    panels->answers.push_back({dir / "elsewhere"});
    std::filesystem::create_directories(dir / "elsewhere");
    model->quickAccess().saveScreenshotElsewhere(item);
    ASSERT_EQ(panels->shown.size(), 1u);
    EXPECT_EQ(panels->shown[0].title, "Choose where to save this framed screenshot.");
    EXPECT_EQ(panels->shown[0].button, "Save Here");
    EXPECT_EQ(panels->shown[0].kind, FilePanelRequest::Kind::folder);
    EXPECT_EQ(entriesOf(dir / "elsewhere").size(), 1u);
    EXPECT_TRUE(model->quickAccess().pendingScreenshots().empty());
}

TEST_F(QuickAccess, DragsAndDiscardsEndTheItemOnlyWhenTheyHappen) {
    model->quickAccess().screenshotDragEnded(item, false);
    EXPECT_EQ(model->quickAccess().pendingScreenshots().size(), 1u)
        << "a refused drag changes nothing";

    trash->fails = true;
    model->quickAccess().discardScreenshot(item);
    EXPECT_EQ(model->quickAccess().pendingScreenshots().size(), 1u);
    // Named after the framed screenshot, not after the item's folder (its id).
    const std::string framedName = std::filesystem::path(item.record.output).filename().string();
    EXPECT_EQ(framedName.rfind("Screenshot 1-framed-", 0), 0u) << framedName;
    EXPECT_EQ(model->quickAccess().previewErrors().at(item.record.id),
              "Couldn't move " + framedName + " to the Trash: the trash is full.");
    EXPECT_EQ(stored()->state, PendingScreenshot::State::pending) << "state restored";

    model->quickAccess().screenshotDragEnded(item, true);
    EXPECT_TRUE(model->quickAccess().pendingScreenshots().empty());
    EXPECT_TRUE(model->quickAccess().previewErrors().empty());
    EXPECT_EQ(stored()->state, PendingScreenshot::State::shared);
    ASSERT_EQ(model->captures().size(), 1u);
    EXPECT_EQ(model->captures().front().id, item.record.id);
}

TEST_F(QuickAccess, DiscardingMovesTheItemToTheTrashAndNeverIntoTheHistory) {
    model->quickAccess().discardScreenshot(item);
    EXPECT_TRUE(model->quickAccess().pendingScreenshots().empty());
    EXPECT_TRUE(model->captures().empty());
    EXPECT_EQ(stored()->state, PendingScreenshot::State::deleted);
    ASSERT_EQ(trash->trashed.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(trash->trashed[0]));
}

TEST_F(QuickAccess, CopyAndEditReportTheirProblemsOnTheCard) {
    model->quickAccess().copyScreenshot(item);
    EXPECT_EQ(clipboard->contents, std::vector<std::string>{"image:" + item.record.output});

    writeText(item.record.output, "half-saved");
    model->quickAccess().copyScreenshot(item);
    EXPECT_EQ(model->quickAccess().previewErrors().at(item.record.id),
              "Couldn't read the screenshot. Finish saving your edits, then try again.");

    launcher->editorExists = false;
    model->quickAccess().editScreenshot(item);
    EXPECT_EQ(model->quickAccess().previewErrors().at(item.record.id),
              "An image editor couldn't be found on this computer.");
    EXPECT_TRUE(launcher->edited.empty());

    launcher->editorExists = true;
    bool storedFirst = false;
    launcher->onEdit = [&] { storedFirst = stored()->editorOpened; };
    int panelRefreshes = 0;
    QObject::connect(model.get(), &AppModel::screenshotPreviewChanged, [&] { ++panelRefreshes; });
    model->quickAccess().editScreenshot(item);
    EXPECT_TRUE(storedFirst) << "the item is marked before the editor opens it";
    EXPECT_EQ(panelRefreshes, 1) << "the card learns that the editor has it";
    EXPECT_EQ(launcher->edited, std::vector<std::filesystem::path>{item.record.output});
    EXPECT_TRUE(model->quickAccess().pendingScreenshots().front().editorOpened);
}

TEST_F(QuickAccess, ChangingTheFinishReframesOnTheWorkQueue) {
    const auto finishes = model->quickAccess().finishes(item);
    ASSERT_EQ(finishes.size(), 1u) << "only frames of the same model and opening";
    EXPECT_EQ(finishes[0].id, item.frameID);

    model->quickAccess().changeScreenshotFinish(item, finishes[0]);
    EXPECT_EQ(model->quickAccess().previewBusyIDs(), std::set<std::string>{item.record.id});
    model->quickAccess().saveScreenshot(item); // busy: ignored
    EXPECT_EQ(model->quickAccess().pendingScreenshots().size(), 1u);
    model->waitForWork();
    ASSERT_TRUE(waitUntil([&] { return model->quickAccess().previewBusyIDs().empty(); }));
    const PendingScreenshot changed = model->quickAccess().pendingScreenshots().front();
    EXPECT_NE(changed.record.output, item.record.output);
    EXPECT_TRUE(std::filesystem::exists(changed.record.output));
    EXPECT_FALSE(std::filesystem::exists(item.record.output));

    PendingScreenshot unknownFrame = changed;
    unknownFrame.frameID = "gone";
    EXPECT_TRUE(model->quickAccess().finishes(unknownFrame).empty());
}

} // namespace
} // namespace cadrelle::test
