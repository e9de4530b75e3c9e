#include "capture/CaptureHistory.h"
#include "capture/CaptureJournal.h"
#include "capture/ScreenshotInbox.h"
#include "core/AppError.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace cadrelle {
namespace {

using test::TempDir;

// Linux names are bytes: these paths are not UTF-8.
const std::string kOddCapture = "/captures/Simulator Screenshot \xff\xfe.png";
const std::string kOddOutput = "/export/Simulator Screenshot \xc0\x80-framed-0123.png";
const std::string kOddFolder = "/export/\xed\xa0\x80";
const std::string kPlainCapture = "/captures/Simulator Screenshot \u00E9 \u5B57.png";
const std::string kID = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

TEST(StoredPathTest, PathsThatAreNotUtf8SurviveTheJournalHistoryAndInbox) {
    TempDir dir;
    const HandledFiles handled{{kOddCapture, {10, 1.5}}, {kPlainCapture, {20, 2.5}}};
    writeCaptureJournal(handled, dir / "journal.json");
    EXPECT_EQ(readCaptureJournal(dir / "journal.json"), handled);

    const CaptureRecord record{kID, 3.5, kOddCapture, kOddOutput, "X \u00B7 Portrait"};
    CaptureHistory history(dir / "history.json");
    EXPECT_EQ(history.remember(record), std::nullopt);
    EXPECT_EQ(CaptureHistory::load(dir / "history.json").records(),
              std::vector<CaptureRecord>{record});

    const ScreenshotInbox inbox(dir / "inbox");
    const PendingScreenshot item{record, "frame", kOddFolder, PendingScreenshot::State::saved,
                                 true};
    inbox.store(item);
    EXPECT_EQ(inbox.item(kID), item);
}

TEST(StoredPathTest, FilesWrittenBeforeReadAsTheyDidAndDamageIsReported) {
    TempDir dir;
    // UTF-8 paths are stored as plain text, exactly as before.
    const auto journal = dir / "journal.json";
    test::writeText(journal, R"({")" + kPlainCapture + R"(":{"modified":2.5,"size":20}})");
    const HandledFiles handled{{kPlainCapture, {20, 2.5}}};
    EXPECT_EQ(readCaptureJournal(journal), handled);
    writeCaptureJournal(handled, journal);
    EXPECT_EQ(test::readText(journal),
              R"({")" + kPlainCapture + R"(":{"modified":2.5,"size":20}})");

    const std::string itemText = R"({"destination":"/export","editorOpened":false,)"
                                 R"("frameID":"f","record":{"date":1.0,"frame":"X","id":")" +
                                 kID + R"(","original":")" + kPlainCapture +
                                 R"(","output":"/inbox/a.png"},"state":"pending"})";
    std::filesystem::create_directories(dir / "inbox");
    test::writeText(dir / "inbox" / (kID + ".json"), itemText);
    const ScreenshotInbox inbox(dir / "inbox");
    const auto item = inbox.item(kID);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->record.original, kPlainCapture);
    EXPECT_EQ(item->destination, "/export");
    inbox.store(*item);
    EXPECT_EQ(test::readText(dir / "inbox" / (kID + ".json")), itemText);

    // Text no path gives: a journal that names the file, an unreadable item.
    test::writeText(journal, R"({"\u0000bytes:%%":{"modified":2.5,"size":20}})");
    const auto message = test::messageOf([&] { readCaptureJournal(journal); });
    EXPECT_EQ(message.rfind(journal.string() + ": ", 0), 0u) << message;
    auto withNul = nlohmann::json::parse(itemText);
    withNul["destination"] = std::string("/a\0b", 4);
    test::writeText(dir / "inbox" / (kID + ".json"), withNul.dump());
    EXPECT_EQ(test::messageOf([&] { inbox.item(kID); }),
              (dir / "inbox" / (kID + ".json")).string() +
                  ": The data couldn't be read because it isn't in the correct format.");
}

} // namespace
} // namespace cadrelle
