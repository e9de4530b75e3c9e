#include "capture/CaptureJournal.h"
#include "capture/StoredPath.h"
#include "frames/FrameAsset.h"
#include "support/CaptureTestSupport.h"
#include "support/CoreApplication.h"
#include "support/Mp4Maker.h"
#include "support/RunCadrelle.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace cadrelle {
namespace {

using namespace std::chrono_literals;
using test::entriesOf;
using test::Outcome;
using test::TempDir;

// Runs the real `cadrelle watch` in a child process.
class WatchCommandTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path input = dir / "captures";
    std::filesystem::path output = dir / "export";
    std::filesystem::path journals = dir / "state" / "cadrelle" / "journals";
    test::TestLibrary frames = test::makeTestLibrary(dir / "lib", {{20, 30}, {64, 96}});

    // Folder arguments other than the absolute paths are taken relative to `dir`.
    std::unique_ptr<QProcess> watch(const std::vector<std::string>& extra = {},
                                    const std::string& inputArgument = {},
                                    const std::string& outputArgument = {}) {
        std::filesystem::create_directories(input);
        std::vector<std::string> arguments{"watch",
                                           "--input",
                                           inputArgument.empty() ? input.string() : inputArgument,
                                           "--output",
                                           outputArgument.empty() ? output.string()
                                                                  : outputArgument,
                                           "--library",
                                           frames.library.directory.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return test::startCadrelle(arguments, dir.path(),
                                   {{"XDG_STATE_HOME", (dir / "state").string()}});
    }

    // Waits until a first watcher has taken its lock and noted what the
    // folder held: it writes its journal after both.
    void waitUntilWatching() {
        EXPECT_TRUE(test::waitUntil([&] { return !entriesOf(journals).empty(); }));
    }

    // Lines printed so far, waiting up to 60 s for `count` of them.
    static QStringList outputLines(QProcess& process, int count, QByteArray& seen) {
        const auto limit = std::chrono::steady_clock::now() + 60s;
        while (seen.count('\n') < count && std::chrono::steady_clock::now() < limit) {
            process.waitForReadyRead(100);
            seen += process.readAllStandardOutput();
        }
        return QString::fromUtf8(seen).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    std::vector<std::string> visibleOutputs() const {
        std::vector<std::string> names;
        for (const auto& name : entriesOf(output)) {
            if (name.front() != '.') {
                names.push_back(name);
            }
        }
        return names;
    }
};

TEST_F(WatchCommandTest, PrintsEachFramedFileAndStopsCleanlyOnSignals) {
    std::filesystem::create_directories(input);
    test::writeScreenshot(input / "Screenshot old.png", 20, 30);
    auto process = watch({"--all-png"});
    waitUntilWatching();
    test::writeScreenshot(input / "photo.png", 20, 30, 7);
    QByteArray seen;
    const auto lines = outputLines(*process, 1, seen);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QString::fromStdString((output / "photo-framed-").string())))
        << lines[0].toStdString();
    EXPECT_TRUE(std::filesystem::exists(lines[0].toStdString()));
    EXPECT_EQ(visibleOutputs().size(), 1u) << "the capture present at the first start is skipped";

    // A second watcher on the same folder fails at once.
    test::expectFailure(test::finishCadrelle(*watch()),
                        "Another copy of Cadrelle is already watching this folder. Quit the "
                        "other copy (including debug builds), then reopen Cadrelle.");

    const Outcome stopped = test::stopCadrelle(*process);
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    EXPECT_EQ(stopped.err, "");
}

TEST_F(WatchCommandTest, RestartWithOtherSpellingsOfTheFoldersFramesWhatArrivedMeanwhile) {
    const auto home = std::filesystem::canonical(dir.path());
    std::filesystem::create_directories(dir / "x");
    auto first = watch({}, (home / "captures").string(), (home / "export").string());
    waitUntilWatching();
    EXPECT_EQ(test::stopCadrelle(*first).status, 0);

    const std::vector<std::pair<std::string, std::string>> spellings{
        {"captures/", "export/"}, {"./captures", "./x/../export"}, {"captures//", "export//"}};
    std::uint32_t seed = 0;
    for (const auto& [inputArgument, outputArgument] : spellings) {
        const std::string name = "Screenshot " + std::to_string(++seed);
        test::writeScreenshot(input / (name + ".png"), 20, 30, seed); // arrives while stopped
        auto process = watch({}, inputArgument, outputArgument);
        QByteArray seen;
        const auto lines = outputLines(*process, 1, seen);
        const Outcome stopped = test::stopCadrelle(*process);
        EXPECT_EQ(stopped.status, 0) << stopped.err;
        ASSERT_EQ(lines.size(), 1) << outputArgument;
        EXPECT_TRUE(lines[0].startsWith(
            QString::fromStdString((home / "export" / (name + "-framed-")).string())))
            << lines[0].toStdString();
    }
    EXPECT_EQ(entriesOf(journals).size(), 1u);
}

TEST_F(WatchCommandTest, StartFailuresPrintTheirMessageAndExitOne) {
    std::filesystem::create_directories(dir / "empty");
    test::expectFailure(test::finishCadrelle(*watch({"--library", (dir / "empty").string()})),
                        "Import a device frame to start capturing.");
    test::expectFailure(test::finishCadrelle(*watch({}, (dir / "nowhere").string())),
                        "Cannot access the screenshot folder. Choose it again in Settings.");
}

TEST_F(WatchCommandTest, InterruptCancelsARunningExportAndLeavesNothing) {
    test::makeMp4(dir / "long.mp4", {.frames = 1200});
    auto process = watch();
    waitUntilWatching();
    std::filesystem::copy_file(dir / "long.mp4", input / "Screen Recording long.mp4");
    ASSERT_TRUE(test::waitUntil([&] { return test::hasTemporaryItem(output); }, 60s))
        << "the export did not start";
    const Outcome stopped = test::stopCadrelle(*process, SIGINT);
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    EXPECT_TRUE(entriesOf(output).empty()) << "no partial or temporary file";
    EXPECT_EQ(stopped.out, "");
}

TEST_F(WatchCommandTest, KilledMidFramingLosesNothingAndDuplicatesNothing) {
    test::makeMp4(dir / "long.mp4", {.frames = 600});
    auto process = watch();
    waitUntilWatching();
    std::filesystem::copy_file(dir / "long.mp4", input / "Screen Recording long.mp4");
    test::writeScreenshot(input / "Screenshot b.png", 20, 30, 1);
    test::waitUntil([&] { return test::hasTemporaryItem(output); }, 60s);
    const Outcome killed = test::stopCadrelle(*process, SIGKILL);
    for (const auto& name : visibleOutputs()) {
        EXPECT_EQ(name.rfind("Screenshot b-framed-", 0), 0u) << "no half-written " << name;
    }
    test::writeScreenshot(input / "Screenshot c.png", 20, 30, 2); // arrives while down

    auto restarted = watch();
    test::waitUntil([&] { return visibleOutputs().size() >= 3; }, 60s);
    // A later screenshot is framed by a later scan, which looks at the others
    // first (in name order): once it is out, that scan added nothing else.
    test::writeScreenshot(input / "Screenshot d.png", 20, 30, 3);
    test::waitUntil([&] { return visibleOutputs().size() >= 4; }, 60s);
    const Outcome stopped = test::stopCadrelle(*restarted);
    EXPECT_EQ(stopped.status, 0) << stopped.err;

    const auto names = visibleOutputs();
    ASSERT_EQ(names.size(), 4u) << stopped.err;
    EXPECT_EQ(names[0].rfind("Screen Recording long-framed-", 0), 0u);
    EXPECT_EQ(names[1].rfind("Screenshot b-framed-", 0), 0u);
    EXPECT_EQ(names[2].rfind("Screenshot c-framed-", 0), 0u);
    EXPECT_EQ(names[3].rfind("Screenshot d-framed-", 0), 0u);
    ASSERT_EQ(entriesOf(journals).size(), 1u);
    EXPECT_EQ(readCaptureJournal(journals / entriesOf(journals).front()).size(), 4u);

    // Every output was printed by one of the two runs.
    for (const auto& name : names) {
        EXPECT_NE((killed.out + stopped.out).find((output / name).string()), std::string::npos)
            << name;
    }
}

TEST_F(WatchCommandTest, NamesThatAreNotUtf8AreFramedAndKeptInTheJournal) {
    // Linux file names are bytes: these two are not UTF-8.
    const std::string old = "Simulator Screenshot \xff old.png";
    const std::string odd = "Simulator Screenshot \xfe\xe2\x82.png";
    std::filesystem::create_directories(input);
    test::writeScreenshot(input / old, 20, 30);
    auto process = watch();
    waitUntilWatching();
    ASSERT_FALSE(process->waitForFinished(0)) << "a first start on such a folder keeps watching\n"
                                              << process->readAllStandardError().toStdString();

    test::writeScreenshot(input / "Simulator Screenshot 1.png", 20, 30, 1);
    test::writeScreenshot(input / odd, 20, 30, 2);
    test::writeScreenshot(input / "Simulator Screenshot 3.png", 20, 30, 3);
    QByteArray seen;
    const auto lines = outputLines(*process, 3, seen);
    const Outcome stopped = test::stopCadrelle(*process);
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    EXPECT_EQ(stopped.err, "");

    ASSERT_EQ(lines.size(), 3) << seen.toStdString();
    const auto names = visibleOutputs();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].rfind("Simulator Screenshot 1-framed-", 0), 0u);
    EXPECT_EQ(names[1].rfind("Simulator Screenshot 3-framed-", 0), 0u);
    // The bytes that are not UTF-8 become U+FFFD in the output's name.
    EXPECT_EQ(names[2].rfind("Simulator Screenshot \uFFFD\uFFFD\uFFFD-framed-", 0), 0u) << names[2];
    for (const auto& line : lines) {
        EXPECT_TRUE(std::filesystem::is_regular_file(line.toStdString())) << line.toStdString();
    }

    const auto handled = readCaptureJournal(journals / entriesOf(journals).front());
    EXPECT_EQ(handled.size(), 4u);
    EXPECT_EQ(handled.count((input / old).string()), 1u);
    EXPECT_EQ(handled.count((input / odd).string()), 1u);

    // A restart reads that journal back and frames nothing again: a new
    // screenshot is framed by a scan after its first, and it alone is printed.
    auto again = watch();
    test::writeScreenshot(input / "Simulator Screenshot 4.png", 20, 30, 4);
    QByteArray printed;
    const auto restartLines = outputLines(*again, 1, printed);
    const Outcome restarted = test::stopCadrelle(*again);
    EXPECT_EQ(restarted.status, 0) << restarted.err;
    printed += QByteArray::fromStdString(restarted.out);
    ASSERT_EQ(restartLines.size(), 1) << printed.toStdString();
    EXPECT_EQ(printed.count('\n'), 1) << printed.toStdString();
    EXPECT_TRUE(restartLines[0].contains(u"Simulator Screenshot 4-framed-"))
        << printed.toStdString();
    EXPECT_EQ(visibleOutputs().size(), 4u);
}

TEST_F(WatchCommandTest, JsonLinesDescribeEachFramedCapture) {
    auto process = watch({"--json"});
    waitUntilWatching();
    const std::string name = "Simulator Screenshot \xff.png";
    test::writeScreenshot(input / name, 20, 30, 4);
    QByteArray seen;
    outputLines(*process, 1, seen);
    const Outcome stopped = test::stopCadrelle(*process);
    EXPECT_EQ(stopped.status, 0) << stopped.err;

    const auto result = nlohmann::json::parse(seen.toStdString());
    EXPECT_EQ(result["status"], "framed");
    EXPECT_EQ(std::filesystem::path(pathFromStored(result["input"])).filename(), name);
    const auto asset = std::ranges::find_if(
        frames.assets, [](const FrameAsset& frame) { return frame.screen.width == 20; });
    EXPECT_EQ(result["frame"], frameKey(*asset));
    EXPECT_TRUE(std::filesystem::is_regular_file(pathFromStored(result["output"])));
    EXPECT_EQ(result["error"], nullptr);
}

} // namespace
} // namespace cadrelle
