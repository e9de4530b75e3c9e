#include "capture/ScreenshotInbox.h"
#include "support/Messages.h"

#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/ReadLimits.h"
#include "frames/Raster.h"
#include "support/CaptureTestSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

namespace cadrelle {
namespace {

using test::entriesOf;
using test::TempDir;

const std::string kID = "0123456789abcdef0123456789abcdef";

using test::messageOf;

class ScreenshotInboxTest : public ::testing::Test {
protected:
    TempDir dir;
    test::TestLibrary frames = test::makeTestLibrary(dir / "lib", {{20, 30}, {24, 24}});
    ScreenshotInbox inbox{dir / "Screenshot Inbox"};
    std::filesystem::path exportFolder = dir / "export";
    CaptureExportControl control;

    LoadedFrame frame(std::size_t index) const {
        return LoadedFrame(frames.assets[index],
                           frames.library.directory / frames.assets[index].file);
    }

    std::filesystem::path screenshot(const std::string& name, std::uint32_t width = 20,
                                     std::uint32_t height = 30) {
        const auto path = dir / "captures" / name;
        std::filesystem::create_directories(path.parent_path());
        test::writeScreenshot(path, width, height);
        return path;
    }
};

TEST_F(ScreenshotInboxTest, PrepareMakesOnePendingItemAndIsHarmlessTwice) {
    const std::string longName(130, 'S');
    const auto input = screenshot(longName + ".png");
    const auto record = inbox.prepare(input, kID, frame(0), exportFolder, control);

    const std::string framedName = std::string(120, 'S') + "-framed-0123456789abcdef.png";
    EXPECT_EQ(record.id, kID);
    EXPECT_EQ(record.original, input.string());
    EXPECT_EQ(record.output, (inbox.directory() / kID / framedName).string());
    EXPECT_EQ(record.frame, frames.assets[0].name + " \u00B7 Portrait");
    EXPECT_EQ(entriesOf(inbox.directory()), (std::vector<std::string>{kID, kID + ".json"}))
        << "the staging folder is gone";
    EXPECT_EQ(entriesOf(inbox.directory() / kID),
              (std::vector<std::string>{framedName, "source.png"}));
    EXPECT_EQ(readFile(inbox.directory() / kID / "source.png", kMaxPngFileBytes),
              readFile(input, kMaxPngFileBytes));
    EXPECT_EQ(Raster::load(record.output).width, 28);

    const auto item = inbox.item(kID);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->record, record);
    EXPECT_EQ(item->frameID, frames.assets[0].id);
    EXPECT_EQ(item->destination, exportFolder.string());
    EXPECT_EQ(item->state, PendingScreenshot::State::pending);
    EXPECT_FALSE(item->editorOpened);
    const auto json = nlohmann::json::parse(test::readText(inbox.directory() / (kID + ".json")));
    EXPECT_EQ(json["state"], "pending");
    EXPECT_EQ(json.size(), 5u);

    // Again, even with another frame: the stored record, nothing new.
    const auto again = inbox.prepare(input, kID, frame(1), exportFolder, control);
    EXPECT_EQ(again, record);
    EXPECT_EQ(entriesOf(inbox.directory()).size(), 2u);

    // A discarded item stays discarded.
    auto discarded = *item;
    discarded.state = PendingScreenshot::State::deleted;
    inbox.store(discarded);
    std::filesystem::remove_all(inbox.directory() / kID);
    EXPECT_EQ(inbox.prepare(input, kID, frame(0), exportFolder, control), record);
    EXPECT_EQ(inbox.item(kID)->state, PendingScreenshot::State::deleted);
    EXPECT_TRUE(inbox.pending().empty());
}

TEST_F(ScreenshotInboxTest, PrepareFailuresLeaveNothingBehind) {
    const auto input = screenshot("Screenshot 1.png");
    for (const std::string bad : {"", "abc/def", "..", "12.34", "xyz"}) {
        EXPECT_EQ(messageOf([&] { inbox.prepare(input, bad, frame(0), exportFolder, control); }),
                  "Invalid screenshot identifier.")
            << bad;
    }
    EXPECT_TRUE(isValidScreenshotID("\uFF10\uFF21\uFF46-AbC9"));

    control.cancel();
    EXPECT_THROW(inbox.prepare(input, kID, frame(0), exportFolder, control), Cancelled);
    EXPECT_TRUE(entriesOf(inbox.directory()).empty());

    // A screenshot of the wrong size fails in rendering.
    CaptureExportControl fresh;
    const auto wrongSize = screenshot("Screenshot 2.png", 10, 10);
    EXPECT_EQ(messageOf([&] { inbox.prepare(wrongSize, kID, frame(0), exportFolder, fresh); }),
              "This frame needs a 20 \u00D7 30 screenshot; this image is 10 \u00D7 10. Choose a "
              "matching frame or orientation.");
    EXPECT_TRUE(entriesOf(inbox.directory()).empty());
    EXPECT_FALSE(inbox.item(kID));
}

TEST_F(ScreenshotInboxTest, SaveFindsAFreeNameAndMarksTheItemSaved) {
    const auto input = screenshot("Screenshot 1.png");
    inbox.prepare(input, kID, frame(0), exportFolder, control);
    auto item = *inbox.item(kID);

    EXPECT_EQ(messageOf([&] { inbox.save(item, std::nullopt); }),
              "The save folder is unavailable. Use Save As to choose another folder.");

    std::filesystem::create_directories(exportFolder);
    const std::string base = "Screenshot 1-framed-0123456789abcdef";
    test::writeText(exportFolder / (base + ".png"), "taken");
    test::writeText(exportFolder / (base + "-1.png"), "taken");
    const auto framedBytes = readFile(item.record.output, kMaxPngFileBytes);
    const auto saved = inbox.save(item, std::nullopt);
    EXPECT_EQ(saved.output, (exportFolder / (base + "-2.png")).string());
    EXPECT_EQ(readFile(saved.output, kMaxPngFileBytes), framedBytes);
    EXPECT_EQ(test::readText(exportFolder / (base + ".png")), "taken");
    EXPECT_FALSE(std::filesystem::exists(inbox.directory() / kID));
    const auto stored = inbox.item(kID);
    EXPECT_EQ(stored->state, PendingScreenshot::State::saved);
    EXPECT_EQ(stored->record, saved);
    EXPECT_TRUE(inbox.pending().empty());

    // Saving a saved item changes nothing.
    EXPECT_EQ(inbox.save(*stored, dir.path()), saved);
    EXPECT_EQ(entriesOf(exportFolder).size(), 3u);
}

TEST_F(ScreenshotInboxTest, SaveGivesUpAfterAThousandTakenNames) {
    const auto input = screenshot("Screenshot 1.png");
    inbox.prepare(input, kID, frame(0), exportFolder, control);
    const auto item = *inbox.item(kID);
    const auto folder = dir / "full";
    std::filesystem::create_directories(folder);
    const std::string base = "Screenshot 1-framed-0123456789abcdef";
    for (int n = 0; n <= 999; ++n) {
        test::writeText(folder / (n == 0 ? base + ".png" : base + "-" + std::to_string(n) + ".png"),
                        "x");
    }
    EXPECT_EQ(messageOf([&] { inbox.save(item, folder); }),
              "Couldn't find an available filename. Choose another save folder.");
    EXPECT_EQ(inbox.item(kID)->state, PendingScreenshot::State::pending);
    EXPECT_EQ(entriesOf(folder).size(), 1000u) << "no temporary file is left";
}

TEST_F(ScreenshotInboxTest, PendingListsReadableItemsOldestFirst) {
    EXPECT_TRUE(inbox.pending().empty()) << "a missing inbox is empty";
    const auto makeItem = [&](const std::string& id, double date, PendingScreenshot::State state) {
        PendingScreenshot item;
        item.record =
            CaptureRecord{id, date, "/in.png", (inbox.directory() / id / "x-framed-0.png").string(),
                          "X \u00B7 Portrait"};
        item.frameID = "f";
        item.destination = "/export";
        item.state = state;
        inbox.store(item);
    };
    makeItem("bb", 20, PendingScreenshot::State::pending);
    makeItem("aa", 10, PendingScreenshot::State::pending);
    makeItem("cc", 5, PendingScreenshot::State::saved);
    makeItem("dd", 1, PendingScreenshot::State::deleted);
    test::writeText(inbox.directory() / "EE.JSON", "ignored");
    const auto items = inbox.pending();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].record.id, "aa");
    EXPECT_EQ(items[1].record.id, "bb");

    test::writeText(inbox.directory() / "notes.json", "{}");
    EXPECT_EQ(messageOf([&] { inbox.pending(); }), "Invalid screenshot identifier.");
    std::filesystem::remove(inbox.directory() / "notes.json");

    // An unknown state or a missing key makes the item unreadable.
    const std::string unreadable = (inbox.directory() / "ff.json").string() +
                                   ": The data couldn't be read because it isn't in the correct "
                                   "format.";
    test::writeText(inbox.directory() / "ff.json",
                    R"({"record":{"id":"ff","date":0,"original":"","output":"","frame":""},)"
                    R"("frameID":"","destination":"","state":"lost","editorOpened":false})");
    EXPECT_EQ(messageOf([&] { inbox.pending(); }), unreadable);
    test::writeText(inbox.directory() / "ff.json", R"({"frameID":""})");
    EXPECT_EQ(messageOf([&] { inbox.item("ff"); }), unreadable);
}

TEST_F(ScreenshotInboxTest, ChangeFrameReplacesTheFramedImageUntilMarkupStarts) {
    const auto input = screenshot("Screenshot 1.png", 24, 24);
    const auto record = inbox.prepare(input, kID, frame(1), exportFolder, control);
    EXPECT_EQ(record.frame, frames.assets[1].name + " \u00B7 Portrait") << "a square is portrait";
    auto item = *inbox.item(kID);
    const auto source = readFile(inbox.directory() / kID / "source.png", kMaxPngFileBytes);

    const auto changed = inbox.changeFrame(item, frame(1));
    const auto name = std::filesystem::path(changed.record.output).filename().string();
    EXPECT_EQ(name.rfind("Screenshot-framed-0123456789abcdef-", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("Screenshot-framed-0123456789abcdef-12345678.png").size());
    EXPECT_FALSE(std::filesystem::exists(record.output));
    EXPECT_TRUE(std::filesystem::exists(changed.record.output));
    EXPECT_EQ(readFile(inbox.directory() / kID / "source.png", kMaxPngFileBytes), source);
    EXPECT_EQ(*inbox.item(kID), changed);
    EXPECT_EQ(changed.record.date, record.date);

    // A frame of another size fails and leaves the item as it was.
    EXPECT_EQ(messageOf([&] { inbox.changeFrame(changed, frame(0)); }),
              "This frame needs a 20 \u00D7 30 screenshot; this image is 24 \u00D7 24. Choose a "
              "matching frame or orientation.");
    EXPECT_EQ(*inbox.item(kID), changed);
    EXPECT_EQ(entriesOf(inbox.directory() / kID).size(), 2u);

    auto edited = changed;
    edited.editorOpened = true;
    EXPECT_EQ(messageOf([&] { inbox.changeFrame(edited, frame(1)); }),
              "Choose the bezel before editing to keep your annotations intact.");
    auto saved = changed;
    saved.state = PendingScreenshot::State::saved;
    EXPECT_EQ(messageOf([&] { inbox.changeFrame(saved, frame(1)); }),
              "Choose the bezel before editing to keep your annotations intact.");
}

TEST_F(ScreenshotInboxTest, DamagedOrHostileItemsNeverTouchAnythingOutsideTheInbox) {
    // An inbox in a data folder that holds other files, and a folder beside it.
    const auto data = dir / "data";
    const ScreenshotInbox hostile{data / "Screenshot Inbox"};
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(dir / "outside");
    test::writeText(data / "settings.json", "{}");
    test::writeText(dir / "outside" / "keep.txt", "keep");

    const auto input = screenshot("Screenshot 1.png");
    hostile.prepare(input, kID, frame(0), exportFolder, control);
    const auto good = *hostile.item(kID);
    const auto itemFile = (hostile.directory() / (kID + ".json")).string();
    const std::string damaged = itemFile + ": The screenshot item is damaged.";

    // An item file whose record names another id is not read at all.
    for (const std::string id : {"..", "0123456789abcdef"}) {
        auto other = nlohmann::json(good);
        other["record"]["id"] = id;
        test::writeText(itemFile, other.dump());
        EXPECT_EQ(messageOf([&] { hostile.item(kID); }), damaged) << id;
        EXPECT_EQ(messageOf([&] { hostile.pending(); }), damaged) << id;
    }
    hostile.store(good);

    // Items made up by a caller: nothing is removed or written outside.
    for (const std::string id : {"..", "../../escaped"}) {
        auto forged = good;
        forged.record.id = id;
        EXPECT_EQ(messageOf([&] { hostile.save(forged, exportFolder); }),
                  "Invalid screenshot identifier.");
        EXPECT_EQ(messageOf([&] { hostile.store(forged); }), "Invalid screenshot identifier.");
        EXPECT_EQ(messageOf([&] { hostile.changeFrame(forged, frame(0)); }),
                  "Invalid screenshot identifier.");
    }
    EXPECT_FALSE(itemExists(dir / "escaped.json"));
    EXPECT_FALSE(itemExists(hostile.directory() / "...json"));

    // A framed image named outside the item's folder, or the folder itself,
    // or its original: none is copied nor removed.
    for (const std::string& output :
         {(dir / "outside").string(), (dir / "outside" / "keep.txt").string(),
          (hostile.directory() / kID / ".." / ".." / "settings.json").string(),
          (hostile.directory() / kID).string(),
          (hostile.directory() / kID / "source.png").string()}) {
        auto forged = good;
        forged.record.output = output;
        hostile.store(forged);
        const auto stored = *hostile.item(kID);
        EXPECT_EQ(messageOf([&] { hostile.changeFrame(stored, frame(0)); }), damaged) << output;
        EXPECT_EQ(messageOf([&] { hostile.save(stored, exportFolder); }), damaged) << output;
    }
    EXPECT_EQ(test::readText(data / "settings.json"), "{}");
    EXPECT_EQ(test::readText(dir / "outside" / "keep.txt"), "keep");
    EXPECT_EQ(entriesOf(hostile.directory() / kID).size(), 2u) << "nothing new was framed";
    EXPECT_FALSE(itemExists(exportFolder)) << "nothing was saved";

    // The real item still works after all that.
    hostile.store(good);
    const auto changed = hostile.changeFrame(good, frame(0));
    EXPECT_FALSE(itemExists(good.record.output));
    std::filesystem::create_directories(exportFolder);
    EXPECT_EQ(std::filesystem::path(hostile.save(changed, exportFolder).output).parent_path(),
              exportFolder);
}

// One damaged or foreign entry in the inbox never hides the other pending
// screenshots: each is left as it is and named in a sentence of its own.
TEST_F(ScreenshotInboxTest, DamagedOrForeignEntriesAreNamedAndHideNothing) {
    const auto good =
        inbox.prepare(screenshot("Screenshot 1.png"), kID, frame(0), exportFolder, control);
    const auto other =
        inbox.prepare(screenshot("Screenshot 2.png"), "aa", frame(0), exportFolder, control);
    const auto linked =
        inbox.prepare(screenshot("Screenshot 3.png"), "dd", frame(0), exportFolder, control);
    const auto& box = inbox.directory();
    // An item folder moved elsewhere and linked back.
    std::filesystem::rename(box / "dd", dir / "outside");
    std::filesystem::create_directory_symlink(dir / "outside", box / "dd");
    // An item file that is a link to a copy of a good one.
    std::filesystem::copy_file(box / "aa.json", dir / "copy.json");
    std::filesystem::create_symlink(dir / "copy.json", box / "ee.json");
    test::writeText(box / "notes.json", "{}");
    std::filesystem::create_directories(box / "abc.json");
    test::writeText(box / "ff.json", R"({"frameID":""})");
    const auto before = entriesOf(box);
    const auto outside = entriesOf(dir / "outside");

    std::vector<std::string> damaged;
    const auto items = inbox.pending(&damaged);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].record, good);
    EXPECT_EQ(items[1].record, other);
    std::sort(damaged.begin(), damaged.end());
    const auto path = [&](const std::string& name) { return (box / name).string(); };
    EXPECT_EQ(damaged,
              (std::vector<std::string>{
                  path("abc.json") + ": Is a directory",
                  path("dd.json") + ": The screenshot item is damaged.",
                  path("ee.json") + ": The screenshot item is damaged.",
                  path("ff.json") + ": The data couldn't be read because it isn't in the correct "
                                    "format.",
                  path("notes.json") + ": Invalid screenshot identifier.",
              }));
    EXPECT_EQ(entriesOf(box), before) << "nothing was removed or added";
    EXPECT_EQ(entriesOf(dir / "outside"), outside);
    EXPECT_EQ(test::readText(box / "notes.json"), "{}");
    EXPECT_EQ(linked.id, "dd");
}

// An item whose folder is a link may lead anywhere: it is refused before any
// of its files is read, written or removed, and what it leads to stays as it
// is. The same goes for a link in place of its original.
TEST_F(ScreenshotInboxTest, AnItemFolderThatIsALinkIsRefusedAndNothingOutsideIsTouched) {
    inbox.prepare(screenshot("Screenshot 1.png"), kID, frame(0), exportFolder, control);
    const auto& box = inbox.directory();
    std::filesystem::rename(box / kID, dir / "outside");
    std::filesystem::create_directory_symlink(dir / "outside", box / kID);
    const auto files = entriesOf(dir / "outside");
    const auto item = *inbox.item(kID);
    const std::string damaged =
        (box / (kID + ".json")).string() + ": The screenshot item is damaged.";

    EXPECT_EQ(messageOf([&] { inbox.changeFrame(item, frame(0)); }), damaged);
    EXPECT_EQ(messageOf([&] { inbox.save(item, exportFolder); }), damaged);
    EXPECT_EQ(messageOf([&] { inbox.requireIntactItem(item); }), damaged);
    std::vector<std::string> problems;
    EXPECT_TRUE(inbox.pending(&problems).empty());
    EXPECT_EQ(problems, std::vector<std::string>{damaged});
    EXPECT_EQ(entriesOf(dir / "outside"), files) << "nothing outside was removed or added";
    EXPECT_FALSE(itemExists(exportFolder)) << "nothing was saved";
    EXPECT_EQ(inbox.item(kID)->state, PendingScreenshot::State::pending);

    // Back in place, with its original replaced by a link.
    std::filesystem::remove(box / kID);
    std::filesystem::rename(dir / "outside", box / kID);
    test::writeText(dir / "elsewhere.png", "not the original");
    std::filesystem::remove(box / kID / "source.png");
    std::filesystem::create_symlink(dir / "elsewhere.png", box / kID / "source.png");
    EXPECT_EQ(messageOf([&] { inbox.changeFrame(item, frame(0)); }), damaged);
    EXPECT_EQ(entriesOf(box / kID), files);
    EXPECT_EQ(test::readText(dir / "elsewhere.png"), "not the original");
}

TEST_F(ScreenshotInboxTest, LongMultiByteNamesFitWhenPreparedAndSaved) {
    // 120 Cyrillic letters: a 244-byte capture name, too long once framed.
    std::string cyrillic;
    for (int i = 0; i < 120; ++i) {
        cyrillic += "\u0436";
    }
    const auto input = screenshot(cyrillic + ".png");
    const auto record = inbox.prepare(input, kID, frame(0), exportFolder, control);
    const auto framedName = std::filesystem::path(record.output).filename().string();
    EXPECT_EQ(framedName, cyrillic.substr(0, 226) + "-framed-0123456789abcdef.png");
    EXPECT_TRUE(std::filesystem::is_regular_file(record.output));

    // Saved twice into one folder: the second copy's number still fits.
    std::filesystem::create_directories(exportFolder);
    writeExclusive(std::string("taken"), exportFolder / framedName);
    const auto framedBytes = readFile(record.output, kMaxPngFileBytes);
    const auto saved = inbox.save(*inbox.item(kID), exportFolder);
    EXPECT_EQ(std::filesystem::path(saved.output).filename().string(),
              cyrillic.substr(0, 226) + "-framed-0123456789abcde-1.png");
    EXPECT_EQ(readFile(saved.output, kMaxPngFileBytes), framedBytes);
}

} // namespace
} // namespace cadrelle
