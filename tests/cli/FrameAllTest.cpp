#include "capture/CaptureWatcher.h"
#include "capture/StoredPath.h"
#include "core/FileIO.h"
#include "frames/FrameLibrary.h"
#include "frames/Raster.h"
#include "support/CoreApplication.h"
#include "support/Mp4Maker.h"
#include "support/RunCadrelle.h"
#include "support/TempDir.h"
#include "support/TestFrames.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <regex>
#include <set>
#include <sstream>

using namespace cadrelle;
using namespace cadrelle::test;
namespace fs = std::filesystem;

namespace {

std::set<std::string> lines(const std::string& text) {
    std::set<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        result.insert(line);
    }
    return result;
}

// A device frame: an opaque body two pixels wider than the opening on every
// side, the opening transparent.
fs::path frameFile(const fs::path& path, std::uint32_t width, std::uint32_t height,
                   std::uint32_t colour) {
    return writeFrame(path, {width + 4, height + 4, 2, 2, width, height, false, colour});
}

void screenshot(const fs::path& path, std::uint32_t width, std::uint32_t height) {
    writeTestPng(path, RgbaImage(width, height, 0x4080C0FF));
}

// Starts the program in `folder`, sends `signal` once its export has made a
// hidden temporary item in `output` (other than `stale`) and waits for the end.
Outcome interruptedRun(const std::vector<std::string>& arguments, const fs::path& folder,
                       const fs::path& output, int signal, const std::string& stale) {
    const auto process = startCadrelle(arguments, folder);
    EXPECT_TRUE(waitUntil(
        [&] { return hasTemporaryItem(output, stale) || process->state() == QProcess::NotRunning; },
        std::chrono::seconds(60)));
    EXPECT_TRUE(hasTemporaryItem(output, stale)) << "the export did not start";
    return stopCadrelle(*process, signal);
}

} // namespace

// Ctrl-C or SIGTERM during a recording's export cancels it: no output, no
// hidden partial movie, and the shell's status for the signal. Temporary
// items a killed run left a while ago go with the next export.
TEST(FrameAll, StopSignalsCancelARecordingExportAndLeaveNothing) {
    TempDir dir;
    const FrameLibrary library{dir / "library"};
    library.importFiles({frameFile(dir / "Phone.png", 64, 96, 0x202020FF)});
    makeMp4(dir / "recording.mp4", {.frames = 1200});
    const std::string stale = ".lumivane-5D4D2C1B-0A9F-4E8D-BC7B-6A5F4E3D2C1B";
    fs::create_directories(dir / "out" / stale);
    writeText(dir / "out" / stale / "recording.mov", "left by a killed run");
    const auto twoDaysAgo = fs::file_time_type::clock::now() - std::chrono::hours(48);
    fs::last_write_time(dir / "out" / stale / "recording.mov", twoDaysAgo);
    fs::last_write_time(dir / "out" / stale, twoDaysAgo);

    const Outcome frame = interruptedRun({"frame", "--frame", "library/" + library.load()[0].file,
                                          "--input", "recording.mp4", "--output", "out/framed.mov",
                                          "--video-format", "prores-4444"},
                                         dir.path(), dir / "out", SIGINT, stale);
    EXPECT_EQ(frame.status, 130) << frame.err;
    EXPECT_EQ(frame.out, "");
    EXPECT_EQ(frame.err, "");
    EXPECT_TRUE(dir.entries("out").empty()) << "no output, partial movie or stale item";

    const Outcome all = interruptedRun({"frame-all", "--output", "out", "--library", "library",
                                        "--video-format", "prores-4444", "recording.mp4"},
                                       dir.path(), dir / "out", SIGTERM, stale);
    EXPECT_EQ(all.status, 143) << all.err;
    EXPECT_EQ(all.out, "");
    EXPECT_EQ(all.err.find("Error"), std::string::npos) << all.err;
    EXPECT_TRUE(dir.entries("out").empty());
}

TEST(FrameAll, FramesEveryCaptureReportsFailuresAndSkipsDoneWork) {
    TempDir dir;
    const FrameLibrary library{dir / "library"};
    const auto catalog = library.importFiles({
        frameFile(dir / "Phone A - Black - Portrait.png", 32, 48, 0x202020FF),
        frameFile(dir / "Phone A - Silver - Portrait.png", 32, 48, 0xC0C0C0FF),
        frameFile(dir / "Phone B - Black - Portrait.png", 32, 48, 0x303030FF),
        frameFile(dir / "Phone A - Black - Landscape.png", 48, 32, 0x202020FF),
        frameFile(dir / "Phone A - Black - Recording.png", 64, 96, 0x202020FF),
    });
    const std::string catalogBefore = readText(library.directory / "catalog.json");
    fs::create_directories(dir / "in");
    screenshot(dir / "in/Simulator Screenshot - phone a - 1.png", 32, 48);
    screenshot(dir / "in/Simulator Screenshot - 2.png", 32, 48);
    screenshot(dir / "in/wide.png", 48, 32);
    makeMp4(dir / "in/Simulator Screen Recording - 3.mp4", Mp4Spec{});
    writeText(dir / "in/notes.txt", "not a capture");

    const std::vector<std::string> arguments = {"frame-all",
                                                "--output",
                                                "out",
                                                "--library",
                                                "library",
                                                "in/Simulator Screenshot - phone a - 1.png",
                                                "in/Simulator Screenshot - 2.png",
                                                "in/wide.png",
                                                "in/Simulator Screen Recording - 3.mp4",
                                                "in/notes.txt",
                                                "in/missing.png"};
    const Outcome first = runCadrelle(arguments, dir.path());
    EXPECT_EQ(first.status, 1);
    const auto errors = lines(first.err);
    EXPECT_EQ(errors.count("Error: in/Simulator Screenshot - 2.png: Multiple device models use "
                           "this resolution. Choose the matching preferred frame in Settings or "
                           "include the device model in the capture filename."),
              1u);
    EXPECT_EQ(errors.count("Error: in/notes.txt: Choose a PNG screenshot or an MP4 recording."),
              1u);
    // A file error names the file itself; the line names it once.
    EXPECT_EQ(errors.count("Error: in/missing.png: No such file or directory"), 1u);
    EXPECT_EQ(errors.count("Frame for in/wide.png: Phone A \u2014 Black \u00B7 Landscape"), 1u);

    // One output per framed capture, named as the capture watcher names them.
    const auto outputs = lines(first.out);
    ASSERT_EQ(outputs.size(), 3u);
    const std::regex name(R"(out/(Simulator Screenshot - phone a - 1|wide|Simulator Screen )"
                          R"(Recording - 3)-framed-[0-9a-f]{16}\.(png|mp4))");
    for (const auto& output : outputs) {
        EXPECT_TRUE(std::regex_match(output, name)) << output;
        EXPECT_TRUE(fs::exists(dir / output)) << output;
    }
    EXPECT_EQ(dir.entries("out").size(), 3u); // no temporary files left behind
    for (const auto& output : outputs) {
        if (output.ends_with(".png")) {
            const bool wide = output.find("wide") != std::string::npos;
            EXPECT_EQ(Raster::load(dir / output).width, wide ? 52 : 36) << output;
        }
    }

    // Running again frames nothing new and says so; the library is untouched.
    const Outcome second = runCadrelle(arguments, dir.path());
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.out, "");
    EXPECT_NE(second.err.find("Already framed: in/wide.png: out/wide-framed-"), std::string::npos);
    EXPECT_EQ(dir.entries("out").size(), 3u);
    EXPECT_EQ(readText(library.directory / "catalog.json"), catalogBefore);

    // The preferred frame settles the shared size; all good gives status 0.
    const std::string phoneB = std::ranges::find(catalog, "Phone B", &FrameAsset::model)->id;
    const Outcome preferred =
        runCadrelle({"frame-all", "--output", "out", "--library", "library", "--preferred", phoneB,
                     "in/Simulator Screenshot - 2.png"},
                    dir.path());
    EXPECT_EQ(preferred.status, 0);
    EXPECT_EQ(preferred.err, "Frame for in/Simulator Screenshot - 2.png: Phone B \u2014 Black "
                             "\u00B7 Portrait\n");
    EXPECT_EQ(preferred.out.rfind("out/Simulator Screenshot - 2-framed-", 0), 0u);
}

// A capture named twice in one run, or framed by two runs at once, is framed
// once; every other attempt finds the identical output and says so.
TEST(FrameAll, ACaptureFramedTwiceAtOnceIsFramedOnceWithoutErrors) {
    TempDir dir;
    const FrameLibrary library{dir / "library"};
    library.importFiles({frameFile(dir / "Phone.png", 32, 48, 0x202020FF)});
    std::vector<std::string> arguments = {"frame-all", "--output", "out", "--library", "library"};
    const int captures = 12;
    for (int i = 0; i < captures; ++i) {
        const std::string name = "shot " + std::to_string(i) + ".png";
        writeTestPng(dir / name, RgbaImage(32, 48, 0x10203000u + std::uint32_t(i) * 0x100u + 0xFF));
        arguments.push_back(name);
        arguments.push_back("./" + name);
    }
    const auto runs = runCadrelleTogether({arguments, arguments}, dir.path());
    std::multiset<std::string> printed;
    for (const auto& run : runs) {
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err.find("Error:"), std::string::npos) << run.err;
        for (const auto& output : lines(run.out)) {
            printed.insert(output);
        }
    }
    // Each output is printed by the one attempt that made it.
    EXPECT_EQ(printed.size(), std::size_t(captures));
    EXPECT_EQ(std::set<std::string>(printed.begin(), printed.end()).size(), printed.size());
    EXPECT_EQ(dir.entries("out").size(), std::size_t(captures));
    std::size_t alreadyFramed = 0;
    for (const auto& run : runs) {
        for (const auto& line : lines(run.err)) {
            alreadyFramed += line.rfind("Already framed: ", 0) == 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(alreadyFramed, 3u * captures);
}

TEST(FrameAll, OptionErrorsStopBeforeAnyWork) {
    TempDir dir;
    screenshot(dir / "shot.png", 32, 48);
    expectFailure(runCadrelle({"frame-all", "shot.png"}, dir.path()), "--output is required");
    expectFailure(runCadrelle({"frame-all", "--output", "out", "--video-format", "gif", "shot.png"},
                              dir.path()),
                  "Use --video-format mp4, hevc-alpha, or prores-4444.");
    EXPECT_FALSE(fs::exists(dir / "out"));
    fs::create_directory(dir / "bad");
    writeText(dir / "bad/catalog.json", "[{\"id\": 1}]");
    expectFailure(
        runCadrelle({"frame-all", "--output", "out", "--library", "bad", "shot.png"}, dir.path()),
        "bad/catalog.json: The data couldn't be read because it isn't in the correct format.");
}

TEST(FrameAll, UsesTheShippedFramesWithoutALibrary) {
    TempDir dir;
    screenshot(dir / "Simulator Screenshot - iPhone 17 Pro Max - 1.png", 1320, 2868);
    screenshot(dir / "small.png", 750, 1334);
    const Outcome run =
        runCadrelle({"frame-all", "--output", "out",
                     "Simulator Screenshot - iPhone 17 Pro Max - 1.png", "small.png"},
                    dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    const auto notes = lines(run.err);
    EXPECT_EQ(notes.count("Frame for Simulator Screenshot - iPhone 17 Pro Max - 1.png: iPhone 17 "
                          "Pro Max \u2014 Black \u00B7 Portrait"),
              1u);
    EXPECT_EQ(notes.count("Frame for small.png: iPhone SE (3rd generation) \u2014 Black \u00B7 "
                          "Portrait"),
              1u);
    EXPECT_EQ(lines(run.out).size(), 2u);
}

// frame-all and the watcher name a capture's output from the same resolved
// path, so a capture framed once through a link and once by the watcher (or
// directly) is never framed twice.
TEST(FrameAll, ACaptureGetsOneOutputNameThroughALinkDirectlyAndFromTheWatcher) {
    ensureCoreApplication();
    TempDir dir;
    const FrameLibrary library{dir / "library"};
    WatchConfiguration config;
    config.input = resolvedPath(dir / "watched");
    config.output = dir / "out";
    config.library = library;
    config.assets = library.importFiles({frameFile(dir / "Phone.png", 32, 48, 0x202020FF)});
    config.journal = dir / "journal.json";
    fs::create_directories(config.input);

    std::vector<CaptureRecord> framed;
    auto clock = std::make_shared<std::atomic<int>>(0);
    const auto start = std::chrono::steady_clock::now();
    CaptureWatcher watcher(
        config, [&](const CaptureRecord& record) { framed.push_back(record); },
        [](const std::string& message) { ADD_FAILURE() << message; }, {}, {},
        [clock, start] { return start + std::chrono::seconds(clock->load()); });
    screenshot(config.input / "Simulator Screenshot - 1.png", 32, 48);
    watcher.scanNow();
    *clock += 2;
    watcher.scanNow();
    ASSERT_EQ(framed.size(), 1u);
    const std::string name = fs::path(framed[0].output).filename().string();

    fs::create_symlink(config.input / "Simulator Screenshot - 1.png", dir / "link.png");
    const Outcome throughLink = runCadrelle(
        {"frame-all", "--output", "out", "--library", "library", "link.png"}, dir.path());
    EXPECT_EQ(throughLink.status, 0);
    EXPECT_EQ(throughLink.out, "") << "nothing framed a second time";
    EXPECT_NE(throughLink.err.find("Already framed: link.png: out/" + name), std::string::npos)
        << throughLink.err;
    const Outcome direct = runCadrelle({"frame-all", "--output", "out", "--library", "library",
                                        "watched/Simulator Screenshot - 1.png"},
                                       dir.path());
    EXPECT_NE(direct.err.find("Already framed: watched/Simulator Screenshot - 1.png: out/" + name),
              std::string::npos)
        << direct.err;
    EXPECT_EQ(dir.entries("out").size(), 1u);
}

// With --json, standard output holds one JSON object per capture and nothing
// else, even for names that are not UTF-8; the notes stay on standard error
// and the exit status is the same as without.
TEST(FrameAll, JsonLinesTellWhatBecameOfEachCapture) {
    TempDir dir;
    const FrameLibrary library{dir / "library"};
    library.importFiles({frameFile(dir / "Phone A - Black - Portrait.png", 32, 48, 0x202020FF)});
    screenshot(dir / "done.png", 32, 48);
    screenshot(dir / "new.png", 32, 48);
    screenshot(dir / "odd \xff.png", 32, 48);
    writeText(dir / "notes.txt", "not a capture");
    ASSERT_EQ(runCadrelle({"frame-all", "--output", "out", "--library", "library", "done.png"},
                          dir.path())
                  .status,
              0);

    // The shell passes the names as bytes, the one that is not UTF-8 and the
    // missing one included.
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(dir.path().string()));
    process.start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral(
             "exec \"$0\" frame-all --json --output out --library library done.png new.png "
             "notes.txt \"$(printf 'odd \\377.png')\" \"$(printf 'gone \\376.png')\""),
         QString::fromStdString(cadrelleExecutable().string())});
    const Outcome run = finishCadrelle(process);
    EXPECT_EQ(run.status, 1);

    std::map<std::string, nlohmann::json> results; // by input path
    std::istringstream stream(run.out);
    for (std::string line; std::getline(stream, line);) {
        const auto object = nlohmann::json::parse(line);
        results[pathFromStored(object.at("input").get<std::string>())] = object;
    }
    ASSERT_EQ(results.size(), 5u) << run.out;

    const auto& done = results["done.png"];
    EXPECT_EQ(done["status"], "already-framed");
    EXPECT_EQ(done["frame"], "Phone A \u2014 Black \u00B7 Portrait");
    EXPECT_TRUE(fs::exists(dir / done["output"].get<std::string>()));
    EXPECT_EQ(done["error"], nullptr);

    const auto& framed = results["new.png"];
    EXPECT_EQ(framed["status"], "framed");
    EXPECT_EQ(framed["frame"], "Phone A \u2014 Black \u00B7 Portrait");
    EXPECT_TRUE(framed["output"].get<std::string>().starts_with("out/new-framed-"));
    EXPECT_TRUE(fs::exists(dir / framed["output"].get<std::string>()));

    const auto& odd = results["odd \xff.png"];
    EXPECT_EQ(odd["status"], "framed") << odd.dump();
    EXPECT_EQ(odd["input"], std::string("\0bytes:", 7) + "b2RkIP8ucG5n");
    EXPECT_TRUE(fs::exists(dir / pathFromStored(odd["output"].get<std::string>())));

    const auto& notes = results["notes.txt"];
    EXPECT_EQ(notes, (nlohmann::json{{"input", "notes.txt"},
                                     {"output", nullptr},
                                     {"frame", nullptr},
                                     {"status", "failed"},
                                     {"error", "Choose a PNG screenshot or an MP4 recording."}}));
    // A system message naming a file that is not UTF-8 still makes valid JSON.
    const auto& gone = results["gone \xfe.png"];
    EXPECT_EQ(gone["status"], "failed");
    EXPECT_TRUE(
        gone["error"].get<std::string>().ends_with("/gone \uFFFD.png: No such file or directory"))
        << gone;

    EXPECT_NE(run.err.find("Error: notes.txt: Choose a PNG screenshot or an MP4 recording.\n"),
              std::string::npos);
    EXPECT_EQ(dir.entries("out").size(), 3u);
}
