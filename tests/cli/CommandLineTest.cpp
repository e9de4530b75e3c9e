#include "support/Mp4Maker.h"
#include "support/RunCadrelle.h"
#include "support/TempDir.h"
#include "support/TestFrames.h"

#include <nlohmann/json.hpp>

#include <cstdlib>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace cadrelle;
using namespace cadrelle::test;
namespace fs = std::filesystem;

namespace {

// A 24 × 24 frame with a 12 × 12 transparent opening at (6, 6).
void writeOpenFrame(const fs::path& path, std::uint32_t colour = kBezel) {
    writeFrame(path, {24, 24, 6, 6, 12, 12, false, colour});
}

} // namespace

TEST(CommandLine, UnknownWordsPrintTheUsageAndTheApplicationIsNotStarted) {
    TempDir dir;
    for (const std::string word : {"help", "--background", "--input", "--help", "-h"}) {
        const auto outcome = runCadrelle({word, "x"}, dir.path());
        EXPECT_EQ(outcome.status, 0) << word;
        EXPECT_EQ(outcome.err, "");
        // The first seven lines stay as they always were; the other commands follow.
        EXPECT_EQ(outcome.out.rfind(
                      "Cadrelle\nRun cadrelle app, or open Cadrelle from your applications menu, "
                      "to set up folders and capture automatically.\n"
                      "frame --input SCREENSHOT_PNG_OR_RECORDING_MP4 --frame FRAME_PNG --output "
                      "DESTINATION\n"
                      "      [--video-format mp4|hevc-alpha|prores-4444]\n"
                      "inspect-frame --input FRAME_PNG\n"
                      "import-frames --library DIRECTORY FRAME_PNG ...\n"
                      "app [--background] [--data-dir DIRECTORY (development only)]\n"
                      "frame-all --output DIRECTORY [--library DIRECTORY] [--preferred FRAME_ID]\n"
                      "      [--video-format FORMAT] [--json] CAPTURE ...\n"
                      "watch --input DIRECTORY --output DIRECTORY [--library DIRECTORY]\n",
                      0),
                  0u)
            << outcome.out;
        EXPECT_TRUE(outcome.out.ends_with(
            "\nRun cadrelle COMMAND --help for its options, or cadrelle --version.\n"));
    }
    // No arguments, or "app" first, start the application, which needs a
    // desktop session; without one it says so and fails.
    const auto outsideAnySession = [] {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
    };
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"app", "--background"}}) {
        const auto outcome = runCadrelle(arguments, dir.path(), outsideAnySession);
        EXPECT_EQ(outcome.status, 1);
#if CADRELLE_WITH_APP
        EXPECT_EQ(outcome.err, "Error: No graphical session was found. Run cadrelle app inside an "
                               "X11 or Wayland desktop session.\n");
#else
        EXPECT_EQ(outcome.err, "Error: This build of Cadrelle has no desktop application.\n");
#endif
    }
#if CADRELLE_WITH_APP
    // A display that can't be reached is said in a sentence too.
    const auto outcome = runCadrelle({"app"}, dir.path(), [] {
        ::setenv("DISPLAY", ":4987", 1);
        ::unsetenv("QT_QPA_PLATFORM");
    });
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "Error: The X display \":4987\" can't be reached. Run cadrelle app "
                           "inside an X11 or Wayland desktop session.\n");
#endif
}

TEST(CommandLine, VersionAndHelpOfEachCommand) {
    TempDir dir;
    for (const std::string word : {"--version", "-V"}) {
        const auto version = runCadrelle({word}, dir.path());
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, "cadrelle " CADRELLE_VERSION "\n");
        EXPECT_EQ(version.err, "");
    }

    const auto help = runCadrelle({"frame-all", "--help"}, dir.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("Usage: cadrelle frame-all --output DIRECTORY [--library DIRECTORY]\n"
                             "      [--preferred FRAME_ID] [--video-format FORMAT] [--json] "
                             "CAPTURE ...\n"
                             "Frames every capture with the frame whose opening matches its size.\n"
                             "\n",
                             0),
              0u)
        << help.out;
    // One line per option, with what it does.
    for (const std::string line :
         {"\n  --output DIRECTORY     Folder for the framed copies (required)\n",
          "\n  --video-format FORMAT  Recordings as mp4 (default), hevc-alpha or prores-4444\n",
          "\n  --json                 One JSON object per capture on standard output\n",
          "\n  CAPTURE ...            PNG screenshots and MP4 recordings\n",
          "\n  -h, --help             Show this help\n"}) {
        EXPECT_NE(help.out.find(line), std::string::npos) << line << help.out;
    }
    // Asked for anywhere among the options, or through "help", it is the same;
    // nothing is checked or framed.
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"frame-all", "-h"},
          {"help", "frame-all"},
          {"frame-all", "--jbos", "--output", "out", "shot.png", "--help"}}) {
        const auto again = runCadrelle(arguments, dir.path());
        EXPECT_EQ(again.status, 0);
        EXPECT_EQ(again.out, help.out) << arguments.back();
    }
    EXPECT_TRUE(dir.entries().empty());

    // Every command has its help, the application's included, which is
    // printed without a desktop session.
    for (const std::string command : {"frame", "inspect-frame", "import-frames", "app", "watch"}) {
        const auto outcome = runCadrelle({command, "--help"}, dir.path(), [] {
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
        });
        EXPECT_EQ(outcome.status, 0) << command << outcome.err;
        EXPECT_EQ(outcome.out.rfind("Usage: cadrelle " + command + " ", 0), 0u) << outcome.out;
    }
}

TEST(CommandLine, UnknownOptionsNameThemselvesBeforeAnyWork) {
    TempDir dir;
    writeOpenFrame(dir / "frame.png");
    writeTestPng(dir / "shot.png", RgbaImage(12, 12, 0xFF0000FF));
    expectFailure(runCadrelle({"frame-all", "--jbos", "--output", "out", "shot.png"}, dir.path()),
                  "Unknown option --jbos for frame-all. Run cadrelle frame-all --help.");
    // Reported before a missing required option, and for the last word too.
    expectFailure(runCadrelle({"frame-all", "shot.png", "--jbos"}, dir.path()),
                  "Unknown option --jbos for frame-all. Run cadrelle frame-all --help.");
    // A switch of one command is unknown to another.
    expectFailure(runCadrelle({"frame", "--frame", "frame.png", "--input", "shot.png", "--output",
                               "o.png", "--all-png"},
                              dir.path()),
                  "Unknown option --all-png for frame. Run cadrelle frame --help.");
    expectFailure(
        runCadrelle({"inspect-frame", "--input", "frame.png", "--background"}, dir.path()),
        "Unknown option --background for inspect-frame. Run cadrelle inspect-frame "
        "--help.");
    expectFailure(
        runCadrelle({"watch", "--input", ".", "--output", "out", "--json", "--jbos"}, dir.path()),
        "Unknown option --jbos for watch. Run cadrelle watch --help.");
    // A known option's value is taken as it stands, even one that looks like an option.
    expectFailure(
        runCadrelle({"frame", "--frame", "frame.png", "--input", "--jbos", "--output", "o.png"},
                    dir.path()),
        "Choose a PNG screenshot or an MP4 recording.");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"frame.png", "shot.png"}));
}

TEST(CommandLine, FrameChecksRunInOrderBeforeAnyFileIsRead) {
    TempDir dir;
    writeOpenFrame(dir / "frame.png");
    writeTestPng(dir / "closed.png", RgbaImage(24, 24, kBezel));
    writeTestPng(dir / "shot.png", RgbaImage(12, 12, 0xFF0000FF));

    expectFailure(runCadrelle({"frame", "--input", "shot.png", "--output"}, dir.path()),
                  "Missing value for --output");
    // Only watch has a switch without a value; elsewhere "--all-png" takes the next word.
    expectFailure(runCadrelle({"whatever", "--all-png"}, dir.path()),
                  "Missing value for --all-png");
    expectFailure(runCadrelle({"frame", "--input", "shot.png", "--output", "o.png"}, dir.path()),
                  "--frame is required");
    // The frame is inspected before the missing input is noticed.
    expectFailure(runCadrelle({"frame", "--frame", "closed.png"}, dir.path()),
                  "The frame needs a transparent screen opening at its center.");
    expectFailure(runCadrelle({"frame", "--frame", "frame.png"}, dir.path()),
                  "--input is required");
    expectFailure(runCadrelle({"frame", "--frame", "frame.png", "--input", "shot.png"}, dir.path()),
                  "--output is required");
    expectFailure(runCadrelle({"frame", "--frame", "frame.png", "--input", "shot.png", "--output",
                               "o.png", "--video-format", "gif"},
                              dir.path()),
                  "Use --video-format mp4, hevc-alpha, or prores-4444.");
    expectFailure(
        runCadrelle({"frame", "--frame", "frame.png", "--input", "shot.jpg", "--output", "o.jpg"},
                    dir.path()),
        "Choose a PNG screenshot or an MP4 recording.");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"closed.png", "frame.png", "shot.png"}));
}

TEST(CommandLine, FramePrintsTheOutputAndNeverReplacesIt) {
    TempDir dir;
    writeOpenFrame(dir / "frame.png");
    writeTestPng(dir / "shot.PNG", RgbaImage(12, 12, 0xFF0000FF));
    const std::vector<std::string> arguments = {"frame",    "--frame",  "frame.png",     "--input",
                                                "shot.PNG", "--output", "out/framed.png"};
    const auto first = runCadrelle(arguments, dir.path());
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "out/framed.png\n");
    EXPECT_EQ(first.err, "");
    const auto before = readText(dir / "out/framed.png");

    expectFailure(runCadrelle(arguments, dir.path()), "out/framed.png: File exists");
    EXPECT_EQ(readText(dir / "out/framed.png"), before);
    EXPECT_EQ(dir.entries("out"), std::vector<std::string>{"framed.png"});

    // A result that cannot be printed is a failure, not a success.
    const auto unprinted =
        runCadrelle({"frame", "--frame", "frame.png", "--input", "shot.PNG", "--output", "o.png"},
                    dir.path(), "/dev/full");
    EXPECT_EQ(unprinted.status, 1);
    EXPECT_EQ(unprinted.err, "Error: standard output: No space left on device\n");
}

TEST(CommandLine, TheProgramStartsWithoutItsModulesUntilItNeedsThem) {
    // The program copied without the modules beside it: screenshots frame as
    // before, while a recording and the desktop application are refused with
    // the reason, leaving nothing.
    TempDir dir;
    fs::create_directories(dir / "alone/bin");
    fs::copy_file(test::cadrelleExecutable(), dir / "alone/bin/cadrelle");
    writeOpenFrame(dir / "frame.png");
    writeTestPng(dir / "shot.png", RgbaImage(12, 12, 0xFF0000FF));
    makeMp4(dir / "recording.mp4", {.width = 12, .height = 12});
    const auto run = [&](const std::vector<std::string>& words) {
        QStringList arguments;
        for (const std::string& word : words) {
            arguments.append(QString::fromStdString(word));
        }
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(dir.path().string()));
        process.start(QString::fromStdString((dir / "alone/bin/cadrelle").string()), arguments);
        process.waitForFinished(60'000);
        return std::pair(process.exitCode(), process.readAllStandardError().toStdString());
    };
    const auto missing = [&](const std::string& module) {
        return (dir / "alone/lib/cadrelle" / module).string() +
               ": cannot open shared object file: No such file or directory\n";
    };
    EXPECT_EQ(run({"frame", "--frame", "frame.png", "--input", "shot.png", "--output", "s.png"}),
              std::pair(0, std::string()));
    // The version and every command's help need neither module.
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"--version"}, {"frame", "--help"}, {"app", "--help"}}) {
        EXPECT_EQ(run(words), std::pair(0, std::string())) << words.front();
    }
    EXPECT_EQ(
        run({"frame", "--frame", "frame.png", "--input", "recording.mp4", "--output", "r.mp4"}),
        std::pair(1, "Error: Recordings can't be framed because Cadrelle's video support "
                     "couldn't be loaded: " +
                         missing("libcadrelle-video.so")));
#if CADRELLE_WITH_APP
    EXPECT_EQ(run({"app"}), std::pair(1, "Error: The desktop application couldn't be loaded: " +
                                             missing("libcadrelle-app.so")));
#endif
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"alone", "frame.png", "recording.mp4",
                                                       "s.png", "shot.png"}));
}

TEST(CommandLine, InspectAndImportReportTheFrames) {
    TempDir dir;
    writeOpenFrame(dir / "Test Phone - Black - Portrait.png");
    fs::copy_file(dir / "Test Phone - Black - Portrait.png", dir / "copy.png");

    const auto inspected = runCadrelle(
        {"inspect-frame", "ignored", "--input", "Test Phone - Black - Portrait.png"}, dir.path());
    ASSERT_EQ(inspected.status, 0) << inspected.err;
    const auto json = nlohmann::json::parse(inspected.out);
    EXPECT_FALSE(json.contains("isBundled"));
    EXPECT_EQ(json["name"], "Test Phone — Black");
    EXPECT_EQ(json["screen"], (nlohmann::json{{"x", 6}, {"y", 6}, {"width", 12}, {"height", 12}}));
    // Pretty-printed with keys in sorted order.
    EXPECT_LT(inspected.out.find("\"color\""), inspected.out.find("\"digest\""));
    EXPECT_LT(inspected.out.find("\"pixelWidth\""), inspected.out.find("\"screen\""));
    EXPECT_NE(inspected.out.find("\n  \"id\""), std::string::npos);

    const auto imported = runCadrelle(
        {"import-frames", "--library", "lib", "Test Phone - Black - Portrait.png", "copy.png"},
        dir.path());
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "Imported library: 1 frames\n");
    const auto again = runCadrelle({"import-frames", "--library", "lib"}, dir.path());
    EXPECT_EQ(again.out, "Imported library: 1 frames\n");
}

// Imports into one library at the same time take turns: every frame of every
// run ends up in the catalog.
TEST(CommandLine, ImportsRunningAtOnceKeepEveryFrame) {
    TempDir dir;
    std::vector<std::vector<std::string>> runs;
    for (std::uint32_t i = 0; i < 8; ++i) {
        const std::string name = "Phone " + std::to_string(i) + " - Black - Portrait.png";
        writeOpenFrame(dir / name, kBezel + (i << 8));
        runs.push_back({"import-frames", "--library", "lib", name});
    }
    for (const auto& run : runCadrelleTogether(runs, dir.path())) {
        EXPECT_EQ(run.status, 0) << run.err;
    }
    EXPECT_EQ(runCadrelle({"import-frames", "--library", "lib"}, dir.path()).out,
              "Imported library: 8 frames\n");
}

TEST(BadInput, DevicesAndPipesAreRefusedWithoutReadingOrWaiting) {
    TempDir dir;
    writeOpenFrame(dir / "frame.png");
    fs::create_symlink("/dev/zero", dir / "zero.png");
    ASSERT_EQ(::mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe.mp4").c_str(), 0600), 0);
    fs::create_directory(dir / "lib");
    fs::create_symlink("/dev/zero", dir / "lib" / "catalog.json");
    const auto before = dir.entries();
    const std::string notAFile = ": This is not a regular file.";

    expectFailure(runCadrelle({"inspect-frame", "--input", "zero.png"}, dir.path()),
                  "zero.png" + notAFile);
    expectFailure(runCadrelle({"frame", "--frame", "frame.png", "--input", "pipe.png", "--output",
                               "framed.png"},
                              dir.path()),
                  "pipe.png" + notAFile);
    expectFailure(runCadrelle({"frame", "--frame", "frame.png", "--input", "pipe.mp4", "--output",
                               "framed.mp4"},
                              dir.path()),
                  "pipe.mp4" + notAFile);
    expectFailure(runCadrelle({"import-frames", "--library", "lib", "frame.png"}, dir.path()),
                  "lib/catalog.json" + notAFile);
    expectFailure(runCadrelle({"import-frames", "--library", "fresh", "zero.png"}, dir.path()),
                  "zero.png" + notAFile);

    EXPECT_TRUE(dir.entries("fresh").empty());
    fs::remove(dir / "fresh");
    EXPECT_EQ(dir.entries(), before);
    EXPECT_EQ(dir.entries("lib"), std::vector<std::string>{"catalog.json"});
}

TEST(BadInput, AFullDiskLeavesNoPartialOutput) {
    TempDir dir;
    writeOpenFrame(dir / "frame.png");
    writeTestPng(dir / "shot.png", RgbaImage(12, 12, 0xFF0000FF));
    fs::create_directory(dir / "out");
    fs::create_directory(dir / "lib");
    // Every file the program writes may grow to 64 bytes only; the write past
    // that fails as it does on a full disk.
    const auto smallDisk = [] {
        const rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
    };
    for (const auto& [arguments, folder] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"frame", "--frame", "frame.png", "--input", "shot.png", "--output", "out/o.png"},
              "out"},
             {{"import-frames", "--library", "lib", "frame.png"}, "lib"}}) {
        const auto outcome = runCadrelle(arguments, dir.path(), smallDisk);
        EXPECT_EQ(outcome.status, 1) << arguments[0];
        EXPECT_EQ(outcome.err.rfind("Error: " + folder + "/", 0), 0u) << outcome.err;
        EXPECT_TRUE(outcome.err.ends_with(": File too large\n")) << outcome.err;
        EXPECT_EQ(outcome.out, "");
        EXPECT_TRUE(dir.entries(folder).empty()) << "no partial or temporary file in " << folder;
    }
}
