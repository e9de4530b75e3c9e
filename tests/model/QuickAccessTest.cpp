#include "QuickAccessFixture.h"

namespace cadrelle::test {
namespace {

class QuickAccess : public QuickAccessFixture {
protected:
    void SetUp() override { item = addItem(); }

    std::optional<PendingScreenshot> stored() const { return inbox.item(item.record.id); }

    PendingScreenshot item;
};

TEST_F(QuickAccess, SavingPicksAFreeNameAndEntersTheHistory) {
    const std::string base = std::filesystem::path(item.record.output).stem().string();
    writeText(output / (base + ".png"), "taken");
    items->saveScreenshot(item);
    EXPECT_TRUE(items->pendingScreenshots().empty());
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.front().output, (output / (base + "-1.png")).string());
    EXPECT_EQ(readText(output / (base + ".png")), "taken");
    EXPECT_EQ(stored()->state, PendingScreenshot::State::saved);
    // A finished item takes no more actions.
    items->saveScreenshot(item);
    EXPECT_EQ(history.size(), 1u);
}

TEST_F(QuickAccess, SaveElsewhereAsksForAFolder) {
    panels->answers.push_back({dir / "elsewhere"});
    std::filesystem::create_directories(dir / "elsewhere");
    items->saveScreenshotElsewhere(item);
    ASSERT_EQ(panels->shown.size(), 1u);
    EXPECT_EQ(panels->shown[0].title, "Choose where to save this framed screenshot.");
    EXPECT_EQ(panels->shown[0].button, "Save Here");
    EXPECT_EQ(panels->shown[0].kind, FilePanelRequest::Kind::folder);
    EXPECT_EQ(entriesOf(dir / "elsewhere").size(), 1u);
    EXPECT_TRUE(items->pendingScreenshots().empty());
}

TEST_F(QuickAccess, DragsAndDiscardsEndTheItemOnlyWhenTheyHappen) {
    items->screenshotDragEnded(item, false);
    EXPECT_EQ(items->pendingScreenshots().size(), 1u) << "a refused drag changes nothing";

    trash->fails = true;
    items->discardScreenshot(item);
    EXPECT_EQ(items->pendingScreenshots().size(), 1u);
    // Named after the framed screenshot, not after the item's folder (its id).
    const std::string framedName = std::filesystem::path(item.record.output).filename().string();
    EXPECT_EQ(framedName.rfind("Screenshot 1-framed-", 0), 0u) << framedName;
    EXPECT_EQ(items->previewErrors().at(item.record.id),
              "Couldn't move " + framedName + " to the Trash: the trash is full.");
    EXPECT_EQ(stored()->state, PendingScreenshot::State::pending) << "state restored";

    items->screenshotDragEnded(item, true);
    EXPECT_TRUE(items->pendingScreenshots().empty());
    EXPECT_TRUE(items->previewErrors().empty());
    EXPECT_EQ(stored()->state, PendingScreenshot::State::shared);
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.front().id, item.record.id);
}

TEST_F(QuickAccess, DiscardingMovesTheItemToTheTrashAndNeverIntoTheHistory) {
    items->discardScreenshot(item);
    EXPECT_TRUE(items->pendingScreenshots().empty());
    EXPECT_TRUE(history.empty());
    EXPECT_EQ(stored()->state, PendingScreenshot::State::deleted);
    ASSERT_EQ(trash->trashed.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(trash->trashed[0]));
}

TEST_F(QuickAccess, CopyAndEditReportTheirProblemsOnTheCard) {
    items->copyScreenshot(item);
    EXPECT_EQ(clipboard->contents, std::vector<std::string>{"image:" + item.record.output});

    writeText(item.record.output, "half-saved");
    items->copyScreenshot(item);
    EXPECT_EQ(items->previewErrors().at(item.record.id),
              "Couldn't read the screenshot. Finish saving your edits, then try again.");

    launcher->editorExists = false;
    items->editScreenshot(item);
    EXPECT_EQ(items->previewErrors().at(item.record.id),
              "An image editor couldn't be found on this computer.");
    EXPECT_TRUE(launcher->edited.empty());

    launcher->editorExists = true;
    bool storedFirst = false;
    launcher->onEdit = [&] { storedFirst = stored()->editorOpened; };
    int panelRefreshes = 0;
    QObject::connect(items.get(), &QuickAccessItems::itemChanged, [&] { ++panelRefreshes; });
    items->editScreenshot(item);
    EXPECT_TRUE(storedFirst) << "the item is marked before the editor opens it";
    EXPECT_EQ(panelRefreshes, 1) << "the card learns that the editor has it";
    EXPECT_EQ(launcher->edited, std::vector<std::filesystem::path>{item.record.output});
    EXPECT_TRUE(items->pendingScreenshots().front().editorOpened);
}

TEST_F(QuickAccess, ChangingTheFinishReframesOnTheWorkQueue) {
    const auto finishes = items->finishes(item);
    ASSERT_EQ(finishes.size(), 1u) << "only frames of the same model and opening";
    EXPECT_EQ(finishes[0].id, item.frameID);

    items->changeScreenshotFinish(item, finishes[0]);
    EXPECT_EQ(items->previewBusyIDs(), std::set<std::string>{item.record.id});
    items->saveScreenshot(item); // busy: ignored
    EXPECT_EQ(items->pendingScreenshots().size(), 1u);
    work.sync([] {});
    ASSERT_TRUE(waitUntil([&] { return items->previewBusyIDs().empty(); }));
    const PendingScreenshot changed = items->pendingScreenshots().front();
    EXPECT_NE(changed.record.output, item.record.output);
    EXPECT_TRUE(std::filesystem::exists(changed.record.output));
    EXPECT_FALSE(std::filesystem::exists(item.record.output));

    PendingScreenshot unknownFrame = changed;
    unknownFrame.frameID = "gone";
    EXPECT_TRUE(items->finishes(unknownFrame).empty());
}

TEST_F(QuickAccess, CapturesAreTakenOnceAndEveryChangeIsReported) {
    std::vector<std::string> events;
    const auto record = [&](const char* kind) {
        return [&events, kind](const std::string& id) { events.push_back(kind + id); };
    };
    QObject::connect(items.get(), &QuickAccessItems::itemAdded, record("added "));
    QObject::connect(items.get(), &QuickAccessItems::itemChanged, record("changed "));
    QObject::connect(items.get(), &QuickAccessItems::itemRemoved, record("removed "));
    const std::string id = item.record.id;

    // The same capture reported again is not shown twice.
    EXPECT_TRUE(items->take(item.record));
    EXPECT_EQ(items->pendingScreenshots().size(), 1u);
    // A capture without an item belongs to the history.
    CaptureRecord other = item.record;
    other.id = newUuidString();
    EXPECT_FALSE(items->take(other));

    const PendingScreenshot second = addItem();
    items->screenshotError("The disk is full.", second);
    items->discardScreenshot(second);
    // A discarded item that is reported late stays gone.
    EXPECT_TRUE(items->take(second.record));
    items->screenshotError("Too late.", second);
    EXPECT_EQ(events, (std::vector<std::string>{"changed " + id, "added " + second.record.id,
                                                "changed " + second.record.id,
                                                "removed " + second.record.id}));
    EXPECT_EQ(items->pendingScreenshots().size(), 1u);
    EXPECT_TRUE(items->previewErrors().empty());
    EXPECT_TRUE(history.empty());

    // Another start finds the pending item in the inbox.
    QuickAccessItems restarted(inbox, shipped.library, {}, preferences, work);
    EXPECT_EQ(restarted.load(), std::nullopt);
    ASSERT_EQ(restarted.pendingScreenshots().size(), 1u);
    EXPECT_EQ(restarted.pendingScreenshots().front().record.id, id);
}

} // namespace
} // namespace cadrelle::test
