// Writes the seed corpus of a JSON file fuzzer: small valid files of one kind
// (preferences, history, journal, catalog, inbox_item), each written by the
// program's own writer so that the seeds have the exact stored layout.
//   json_fuzzer_seeds KIND FOLDER
#include "capture/CaptureHistory.h"
#include "capture/CaptureJournal.h"
#include "capture/Preferences.h"
#include "capture/ScreenshotInbox.h"
#include "core/FileIO.h"
#include "core/JsonSupport.h"
#include "core/ReadLimits.h"
#include "frames/FrameLibrary.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>

using namespace cadrelle;

namespace {

using Keep = std::function<void(const std::filesystem::path& written)>;

void preferencesSeeds(const std::filesystem::path& work, const Keep& keep) {
    const auto file = work / "settings.json";
    Preferences().save(file);
    keep(file);
    Preferences custom;
    custom.inputPath = "/home/user/Captures";
    custom.outputPath = "/home/user/Framed \u00E9t\u00E9";
    custom.inputBookmark = std::vector<std::uint8_t>{'/', 'h', 'o', 'm', 'e'};
    custom.outputBookmark = std::vector<std::uint8_t>{0, 1, 2, 0xFF};
    custom.selectedFrameID = std::string(64, 'a');
    custom.automaticallyMatch = false;
    custom.completedSetup = true;
    custom.simulatorTimeEnabled = true;
    custom.simulatorTimeMinutes = 1439;
    custom.save(file);
    keep(file);
    writeAtomically(std::string(R"({"completedSetup":true,"selectedFrameID":null})"), file);
    keep(file);
}

CaptureRecord record(int n) {
    return CaptureRecord{std::string(64, static_cast<char>('0' + n)), 700000000.25 + n,
                         "/home/user/Desktop/Simulator Screenshot " + std::to_string(n) + ".png",
                         "/home/user/Framed/Simulator Screenshot-framed.png",
                         "iPhone 18 Pro \u2014 Black \u00B7 Portrait"};
}

void historySeeds(const std::filesystem::path& work, const Keep& keep) {
    CaptureHistory history(work / "history.json");
    writeJsonFile(nlohmann::json::array(), history.file());
    keep(history.file());
    for (int n = 0; n < 3; ++n) {
        history.remember(record(n));
        keep(history.file());
    }
}

void journalSeeds(const std::filesystem::path& work, const Keep& keep) {
    const auto file = work / "journal.json";
    HandledFiles handled;
    writeCaptureJournal(handled, file);
    keep(file);
    handled["/home/user/Desktop/Simulator Screenshot 1.png"] = FileStamp{123456, 700000000.5};
    handled["/home/user/Desktop/Simulator Screen Recording 2.mp4"] = FileStamp{0, -1.25};
    writeCaptureJournal(handled, file);
    keep(file);
}

FrameAsset asset(int n, bool landscape) {
    FrameAsset frame;
    frame.id = std::string(64, static_cast<char>('a' + n));
    frame.name = "iPhone " + std::to_string(16 + n) + " \u2014 Silver";
    frame.model = "iPhone " + std::to_string(16 + n);
    frame.color = "Silver";
    frame.file = frame.id + ".png";
    frame.screen = landscape ? PixelRect{60, 50, 2556, 1179} : PixelRect{50, 60, 1179, 2556};
    frame.pixelWidth = frame.screen.width + 2 * frame.screen.x;
    frame.pixelHeight = frame.screen.height + 2 * frame.screen.y;
    frame.digest = frame.id;
    return frame;
}

void catalogSeeds(const std::filesystem::path& work, const Keep& keep) {
    // The shipped folder's catalog, pretty-printed as an import writes it.
    const FrameLibrary shipped{work / "shipped"};
    const std::vector<FrameAsset> frames = {asset(0, false), asset(1, true), asset(2, false)};
    createDirectories(shipped.directory);
    for (const auto& frame : frames) {
        writeAtomically(std::string("not a picture"), shipped.directory / frame.file);
    }
    writeJsonFile(nlohmann::json(frames), shipped.directory / "catalog.json", true);
    keep(shipped.directory / "catalog.json");
    // A user's catalog after the merge: compact, with "isBundled".
    const FrameLibrary user{work / "user"};
    user.installBundled(shipped);
    keep(user.directory / "catalog.json");
}

void inboxItemSeeds(const std::filesystem::path& work, const Keep& keep) {
    const ScreenshotInbox inbox(work / "Screenshot Inbox");
    for (const auto state : {PendingScreenshot::State::pending, PendingScreenshot::State::saved,
                             PendingScreenshot::State::shared, PendingScreenshot::State::deleted}) {
        PendingScreenshot item{record(1), std::string(64, 'b'), "/home/user/Framed", state,
                               state == PendingScreenshot::State::shared};
        inbox.store(item);
        keep(inbox.directory() / (item.record.id + ".json"));
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::map<std::string, void (*)(const std::filesystem::path&, const Keep&)> kinds = {
        {"preferences", preferencesSeeds},
        {"history", historySeeds},
        {"journal", journalSeeds},
        {"catalog", catalogSeeds},
        {"inbox_item", inboxItemSeeds}};
    const auto kind = argc == 3 ? kinds.find(argv[1]) : kinds.end();
    if (kind == kinds.end()) {
        std::fprintf(stderr, "usage: json_fuzzer_seeds preferences|history|journal|catalog|"
                             "inbox_item FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[2];
    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("cadrelle-seeds-" + newUuidString());
    int count = 0;
    const Keep keep = [&](const std::filesystem::path& written) {
        const auto bytes = readFile(written, kMaxCatalogFileBytes);
        writeAtomically(bytes,
                        folder / (kind->first + "-seed-" + std::to_string(count++) + ".json"));
    };
    try {
        createDirectories(work);
        kind->second(work, keep);
    } catch (const std::exception& error) {
        removeQuietly(work);
        std::fprintf(stderr, "json_fuzzer_seeds: %s\n", error.what());
        return 1;
    }
    removeQuietly(work);
    return 0;
}
