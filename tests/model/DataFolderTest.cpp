#include "ModelFixture.h"

#include "capture/ScreenshotInbox.h"
#include "support/FileModes.h"

#include <nlohmann/json.hpp>

#include <sys/stat.h>

namespace cadrelle::test {
namespace {

namespace fs = std::filesystem;
using test::modeOf;
using test::Umask;

const std::string kID = "0123456789abcdef0123456789abcdef";

class DataFolder : public ModelFixture {
protected:
    fs::path inbox() const { return data / "Screenshot Inbox"; }

    // What an earlier run left, written by hand: finished setup with Quick
    // Access on, and one pending item made of its item file and folder.
    void leaveAnEarlierRun(const std::string& id = kID) {
        nlohmann::json settings;
        settings["inputPath"] = input.string();
        settings["outputPath"] = output.string();
        settings["completedSetup"] = true;
        settings["screenshotPreviewEnabled"] = true;
        writeText(data / "settings.json", settings.dump());
        const auto folder = inbox() / id;
        fs::create_directories(folder);
        writeScreenshot(folder / "source.png", 20, 30);
        writeScreenshot(folder / "shot-framed-0.png", 28, 38);
        PendingScreenshot item;
        item.record = CaptureRecord{id, 1.0, (input / "shot.png").string(),
                                    (folder / "shot-framed-0.png").string(), "Phone"};
        item.frameID = shipped.assets[0].id;
        item.destination = output.string();
        item.state = PendingScreenshot::State::pending;
        writeText(inbox() / (id + ".json"), nlohmann::json(item).dump());
    }
};

// Under the usual umask, the data folder and everything the application keeps
// there are the user's alone, what an earlier version left open included. A
// screenshot saved into the export folder keeps the usual modes: the user
// shares those.
TEST_F(DataFolder, IsPrivateWhateverTheUmaskWhileSavedScreenshotsAreNot) {
    const Umask usual(022);
    leaveAnEarlierRun();
    for (const auto& folder : {data, inbox(), inbox() / kID, output}) {
        fs::permissions(folder, fs::perms(0755));
    }
    fs::permissions(inbox() / (kID + ".json"), fs::perms(0644));

    const auto model = makeModel();
    ASSERT_TRUE(model->isWatching());
    const auto shot = dir / "opened" / "Screenshot 2.png";
    writeScreenshot(shot, 20, 30, 1);
    model->frameManually({shot});
    ASSERT_TRUE(waitUntil([&] { return model->quickAccess().pendingScreenshots().size() == 2; }));
    const auto added = model->quickAccess().pendingScreenshots().back();

    const auto journals = data / "Journals";
    ASSERT_EQ(entriesOf(journals).size(), 1u);
    for (const auto& folder :
         {data, data / "Frames", journals, inbox(), inbox() / kID, inbox() / added.record.id}) {
        EXPECT_EQ(modeOf(folder), 0700u) << folder;
    }
    for (const auto& file :
         {data / "settings.json", data / "Frames" / "catalog.json",
          data / "Frames" / shipped.assets[0].file, journals / entriesOf(journals)[0],
          inbox() / (kID + ".json"), inbox() / kID / "source.png",
          inbox() / (added.record.id + ".json"), inbox() / added.record.id / "source.png",
          fs::path(added.record.output)}) {
        EXPECT_EQ(modeOf(file), 0600u) << file;
    }

    model->quickAccess().saveScreenshot(added);
    ASSERT_EQ(model->captures().size(), 1u);
    EXPECT_EQ(modeOf(model->captures().front().output), 0644u);
    EXPECT_EQ(modeOf(data / "history.json"), 0600u);
    EXPECT_EQ(modeOf(output), 0755u);
}

// A damaged or foreign entry in the inbox hides no other pending screenshot,
// stays as it is, and is named in the error line once watching has started.
TEST_F(DataFolder, ADamagedInboxItemIsNamedAndHidesNoOtherCard) {
    leaveAnEarlierRun();
    writeText(inbox() / "ABCDEF.json", "{\"record\": 1}");
    // An item whose folder is a link to a folder outside the inbox.
    leaveAnEarlierRun("abcdef");
    fs::rename(inbox() / "abcdef", dir / "outside");
    fs::create_directory_symlink(dir / "outside", inbox() / "abcdef");

    const auto model = makeModel();
    EXPECT_TRUE(model->isWatching());
    ASSERT_EQ(model->quickAccess().pendingScreenshots().size(), 1u);
    EXPECT_EQ(model->quickAccess().pendingScreenshots().front().record.id, kID);
    const auto message = model->errorMessage().value_or("");
    const std::string format =
        ": The data couldn't be read because it isn't in the correct format.";
    const std::string link = ": The screenshot item is damaged.";
    const std::string more = " Another screenshot item is damaged too.";
    EXPECT_TRUE(message == (inbox() / "ABCDEF.json").string() + format + more ||
                message == (inbox() / "abcdef.json").string() + link + more)
        << message;
    EXPECT_EQ(readText(inbox() / "ABCDEF.json"), "{\"record\": 1}");
    EXPECT_EQ(entriesOf(dir / "outside"),
              (std::vector<std::string>{"shot-framed-0.png", "source.png"}));
}

// Every hidden temporary item a killed run left where the application
// writes goes at the next start: in the data folder, its frames, journals
// and inbox (item folders included), and in the export folder.
TEST_F(DataFolder, WhatAKilledRunLeftGoesAtTheNextStart) {
    leaveAnEarlierRun();
    const std::string file = ".lumivane-0F8C2D4A-1B3E-4C5D-8E9F-A0B1C2D3E4F5";
    const std::string folder = ".lumivane-5D4D2C1B-0A9F-4E8D-BC7B-6A5F4E3D2C1B";
    const std::string staging = ".preparing-11111111-2222-4333-8444-555555555555";
    for (const auto& place :
         {data, data / "Frames", data / "Journals", inbox(), inbox() / kID, output}) {
        fs::create_directories(place);
        writeText(place / file, "partial");
        fs::create_directories(place / folder);
        writeText(place / folder / "recording.mov", "partial");
    }
    fs::create_directories(inbox() / staging);
    writeText(inbox() / staging / "source.png", "partial");
    writeText(output / ".lumivane-notes", "not ours");

    const auto model = makeModel();
    ASSERT_TRUE(model->isWatching());
    for (const auto& place :
         {data, data / "Frames", data / "Journals", inbox(), inbox() / kID, output}) {
        EXPECT_FALSE(itemExists(place / file)) << place;
        EXPECT_FALSE(itemExists(place / folder)) << place;
    }
    EXPECT_FALSE(itemExists(inbox() / staging));
    EXPECT_EQ(readText(output / ".lumivane-notes"), "not ours");
    EXPECT_EQ(model->quickAccess().pendingScreenshots().size(), 1u);
    EXPECT_FALSE(model->errorMessage().has_value()) << *model->errorMessage();
}

} // namespace
} // namespace cadrelle::test
