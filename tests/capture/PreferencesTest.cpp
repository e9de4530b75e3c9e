#include "capture/Preferences.h"
#include "capture/CaptureHistory.h"
#include "capture/PreferenceKeys.h"
#include "capture/WatchConfiguration.h"
#include "core/AppError.h"
#include "core/JsonSupport.h"
#include "core/Sha256.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace cadrelle {
namespace {

using test::messageOf;
using test::TempDir;

Preferences loadText(const TempDir& dir, const std::string& text) {
    test::writeText(dir / "settings.json", text);
    return Preferences::load(dir / "settings.json");
}

TEST(PreferencesTest, LoadsLenientlyWithTwoExceptionsAndRejectsWrongTypes) {
    TempDir dir;
    const Preferences defaults;
    EXPECT_EQ(Preferences::load(dir / "missing.json"), defaults);
    Preferences expected = defaults;
    expected.completedSetup = true;
    EXPECT_EQ(loadText(dir, R"({"completedSetup": true})"), expected);

    EXPECT_EQ(loadText(dir, R"({"simulatorTimeMinutes": 1440})").simulatorTimeMinutes, 581);
    EXPECT_EQ(loadText(dir, R"({"simulatorTimeMinutes": -1})").simulatorTimeMinutes, 581);
    EXPECT_EQ(loadText(dir, R"({"simulatorTimeMinutes": 0})").simulatorTimeMinutes, 0);
    EXPECT_EQ(loadText(dir, R"({"simulatorTimeMinutes": 1439})").simulatorTimeMinutes, 1439);

    const std::string file = (dir / "settings.json").string() + ": ";
    const auto wrongType = [&](const std::string& key) {
        return file + "The setting \"" + key + "\" has a value of the wrong type.";
    };
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {R"({"automaticallyMatch": "yes"})", wrongType("automaticallyMatch")},
             {R"({"inputPath": 3})", wrongType("inputPath")},
             {R"({"simulatorTimeMinutes": "9:41"})", wrongType("simulatorTimeMinutes")},
             {R"({"selectedFrameID": 1})", wrongType("selectedFrameID")},
             {R"({"inputBookmark": "***"})", wrongType("inputBookmark")},
             {"[]", file + "The settings are not a JSON object."},
             {"{not json", file + kJsonFormatError}}) {
        EXPECT_EQ(messageOf([&] { loadText(dir, text); }), message) << text;
    }
}

TEST(PreferencesTest, SettingsAndHistoryThatAreNoFilesOrTooLargeAreNeverReadWhole) {
    TempDir dir;
    const auto settings = dir / "settings.json";
    const auto history = dir / "history.json";
    std::filesystem::create_symlink("/dev/zero", settings);
    std::filesystem::create_symlink("/dev/zero", history);
    EXPECT_EQ(messageOf([&] { Preferences::load(settings); }),
              settings.string() + ": This is not a regular file.");
    EXPECT_TRUE(CaptureHistory::load(history).records().empty());

    std::filesystem::remove(settings);
    test::writeText(settings, "{}");
    std::filesystem::resize_file(settings, 1'000'001);
    EXPECT_EQ(messageOf([&] { Preferences::load(settings); }),
              settings.string() + ": The file is larger than 1 MB.");
}

TEST(PreferencesTest, SavesEveryKeyOptionalOnesOnlyWhenSetAndReadsThemBack) {
    TempDir dir;
    Preferences preferences;
    const auto file = dir / "deep" / "er" / "settings.json";
    preferences.save(file);
    auto json = nlohmann::json::parse(test::readText(file));
    EXPECT_EQ(json.size(), 10u);
    EXPECT_FALSE(json.contains("inputBookmark"));
    EXPECT_FALSE(json.contains("selectedFrameID"));
    EXPECT_EQ(test::readText(file).find('\n'), std::string::npos) << "no pretty printing";

    preferences.inputBookmark = std::vector<std::uint8_t>{'/', 'a', 'b'};
    preferences.outputBookmark = std::vector<std::uint8_t>{'/', 'c'};
    preferences.selectedFrameID = "abc";
    preferences.allPNG = true;
    preferences.simulatorTimeMinutes = 12;
    preferences.save(file);
    json = nlohmann::json::parse(test::readText(file));
    EXPECT_EQ(json.size(), 13u);
    EXPECT_EQ(json["inputBookmark"], "L2Fi");
    EXPECT_EQ(json["outputBookmark"], "L2M=");
    EXPECT_EQ(Preferences::load(file), preferences);
    EXPECT_EQ(dir.entries("deep/er"), std::vector<std::string>{"settings.json"})
        << "no temporary file is left";
}

CaptureRecord record(int number) {
    return CaptureRecord{"id" + std::to_string(number), number * 1.5,
                         "/in/" + std::to_string(number), "/out/" + std::to_string(number),
                         "iPhone \u00B7 Portrait"};
}

TEST(CaptureHistoryTest, RemembersNewestFirstWithoutDuplicatesUpToOneHundred) {
    TempDir dir;
    const auto file = dir / "history.json";
    CaptureHistory history = CaptureHistory::load(file);
    EXPECT_TRUE(history.records().empty());

    CaptureRecord first{"a", 0, "/in/a.png", "/out/a-framed.png", "X \u00B7 Portrait"};
    EXPECT_FALSE(history.remember(first));
    const auto json = nlohmann::json::parse(test::readText(file));
    EXPECT_EQ(json.dump(), R"([{"date":0.0,"frame":"X · Portrait","id":"a","original":"/in/a.png",)"
                           R"("output":"/out/a-framed.png"}])");

    // A known id leaves the list as it is but still rewrites the file.
    CaptureRecord again = first;
    again.output = "/elsewhere.png";
    test::writeText(file, "[]");
    EXPECT_FALSE(history.remember(again));
    ASSERT_EQ(history.records().size(), 1u);
    EXPECT_EQ(history.records().front(), first);
    EXPECT_EQ(CaptureHistory::load(file).records(), history.records());

    for (int i = 1; i <= 100; ++i) {
        history.remember(record(i));
    }
    ASSERT_EQ(history.records().size(), 100u);
    EXPECT_EQ(history.records().front(), record(100));
    EXPECT_EQ(history.records().back(), record(1)) << "the oldest one was pushed out";
    EXPECT_EQ(CaptureHistory::load(file).records(), history.records());
}

TEST(CaptureHistoryTest, CorruptFileLoadsEmptyAndWriteFailuresAreReported) {
    TempDir dir;
    const auto file = dir / "history.json";
    for (const char* bad : {"{", "{}", R"([{"id": "a"}])",
                            R"([{"id":"a","date":"x",)"
                            R"("original":"","output":"","frame":""}])"}) {
        test::writeText(file, bad);
        EXPECT_TRUE(CaptureHistory::load(file).records().empty()) << bad;
        EXPECT_EQ(test::readText(file), bad) << "the bad file stays";
    }

    // A folder in the way of the file: the write fails, memory keeps the record.
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    CaptureHistory history(file);
    const auto message = history.remember(record(1));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->rfind("Capture saved, but history couldn't be updated: ", 0), 0u)
        << *message;
    EXPECT_EQ(history.records().size(), 1u);
}

} // namespace
} // namespace cadrelle
