#include "capture/CaptureJournal.h"
#include "support/CaptureTestSupport.h"
#include "support/CoreApplication.h"
#include "support/Mp4Maker.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <chrono>
#include <csignal>
#include <thread>

using namespace std::chrono_literals;

namespace cadrelle {
namespace {

using test::entriesOf;
using test::TempDir;

// Runs the real `cadrelle watch` in a child process.
class WatchCommandTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureCoreApplication(); }

    TempDir dir;
    std::filesystem::path input = dir / "captures";
    std::filesystem::path output = dir / "export";
    test::TestLibrary frames = test::makeTestLibrary(dir / "lib", {{20, 30}, {64, 96}});

    // Folder arguments other than the absolute paths are taken relative to `dir`.
    std::unique_ptr<QProcess> watch(const QStringList& extra = {},
                                    const std::string& inputArgument = {},
                                    const std::string& outputArgument = {}) {
        std::filesystem::create_directories(input);
        auto process = std::make_unique<QProcess>();
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"),
                           QString::fromStdString((dir / "state").string()));
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(QString::fromStdString(dir.path().string()));
        QStringList arguments{
            QStringLiteral("watch"),
            QStringLiteral("--input"),
            QString::fromStdString(inputArgument.empty() ? input.string() : inputArgument),
            QStringLiteral("--output"),
            QString::fromStdString(outputArgument.empty() ? output.string() : outputArgument),
            QStringLiteral("--library"),
            QString::fromStdString(frames.library.directory.string())};
        arguments += extra;
        process->start(QStringLiteral(CADRELLE_EXECUTABLE), arguments);
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }

    // Waits until the watcher has taken its lock (its journal exists).
    void waitUntilWatching() {
        const auto journals = dir / "state" / "cadrelle" / "journals";
        const auto limit = std::chrono::steady_clock::now() + 10s;
        while (entriesOf(journals).empty() && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(10ms);
        }
        std::this_thread::sleep_for(100ms);
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

    static void waitFor(const std::function<bool()>& done) {
        const auto limit = std::chrono::steady_clock::now() + 60s;
        while (!done() && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(5ms);
        }
    }

    // Sends SIGTERM to a child that is still running (a pid of 0 would
    // signal the whole process group, test runner included).
    static void terminate(QProcess& process) {
        if (process.processId() > 0) {
            ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        }
    }

    static bool hasHiddenTemporary(const std::filesystem::path& folder) {
        for (const auto& name : entriesOf(folder)) {
            if (name.rfind(".lumivane-", 0) == 0) {
                return true;
            }
        }
        return false;
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
    auto process = watch({QStringLiteral("--all-png")});
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
    auto second = watch();
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitCode(), 1);
    EXPECT_EQ(second->readAllStandardError().toStdString(),
              "Error: Another copy of Cadrelle is already watching this folder. Quit the other "
              "copy (including debug builds), then reopen Cadrelle.\n");

    ::kill(static_cast<pid_t>(process->processId()), SIGTERM);
    ASSERT_TRUE(process->waitForFinished(10000));
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process->exitCode(), 0);
    EXPECT_TRUE(process->readAllStandardError().isEmpty());
}

TEST_F(WatchCommandTest, RestartWithOtherSpellingsOfTheFoldersFramesWhatArrivedMeanwhile) {
    const auto home = std::filesystem::canonical(dir.path());
    std::filesystem::create_directories(dir / "x");
    const auto stop = [](QProcess& process) {
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    };
    auto first = watch({}, (home / "captures").string(), (home / "export").string());
    waitUntilWatching();
    stop(*first);

    const std::vector<std::pair<std::string, std::string>> spellings{
        {"captures/", "export/"}, {"./captures", "./x/../export"}, {"captures//", "export//"}};
    std::uint32_t seed = 0;
    for (const auto& [inputArgument, outputArgument] : spellings) {
        const std::string name = "Screenshot " + std::to_string(++seed);
        test::writeScreenshot(input / (name + ".png"), 20, 30, seed); // arrives while stopped
        auto process = watch({}, inputArgument, outputArgument);
        QByteArray seen;
        const auto lines = outputLines(*process, 1, seen);
        stop(*process);
        ASSERT_EQ(lines.size(), 1) << outputArgument;
        EXPECT_TRUE(lines[0].startsWith(
            QString::fromStdString((home / "export" / (name + "-framed-")).string())))
            << lines[0].toStdString();
    }
    EXPECT_EQ(entriesOf(dir / "state" / "cadrelle" / "journals").size(), 1u);
}

TEST_F(WatchCommandTest, StartFailuresPrintTheirMessageAndExitOne) {
    std::filesystem::create_directories(dir / "empty");
    auto process =
        watch({QStringLiteral("--library"), QString::fromStdString((dir / "empty").string())});
    ASSERT_TRUE(process->waitForFinished(10000));
    EXPECT_EQ(process->exitCode(), 1);
    EXPECT_EQ(process->readAllStandardError().toStdString(),
              "Error: Import a device frame to start capturing.\n");

    std::filesystem::remove_all(input);
    QProcess missing;
    missing.start(QStringLiteral(CADRELLE_EXECUTABLE),
                  {QStringLiteral("watch"), QStringLiteral("--input"),
                   QString::fromStdString((dir / "nowhere").string()), QStringLiteral("--output"),
                   QString::fromStdString(output.string()), QStringLiteral("--library"),
                   QString::fromStdString(frames.library.directory.string())});
    ASSERT_TRUE(missing.waitForFinished(10000));
    EXPECT_EQ(missing.exitCode(), 1);
    EXPECT_EQ(missing.readAllStandardError().toStdString(),
              "Error: Cannot access the screenshot folder. Choose it again in Settings.\n");
}

TEST_F(WatchCommandTest, InterruptCancelsARunningExportAndLeavesNothing) {
    test::Mp4Spec spec;
    spec.frames = 1200;
    test::makeMp4(dir / "long.mp4", spec);
    auto process = watch();
    waitUntilWatching();
    std::filesystem::copy_file(dir / "long.mp4", input / "Screen Recording long.mp4");
    waitFor([&] { return hasHiddenTemporary(output); });
    ASSERT_TRUE(hasHiddenTemporary(output)) << "the export did not start";
    ::kill(static_cast<pid_t>(process->processId()), SIGINT);
    ASSERT_TRUE(process->waitForFinished(20000));
    EXPECT_EQ(process->exitCode(), 0);
    EXPECT_TRUE(entriesOf(output).empty()) << "no partial or temporary file";
    EXPECT_TRUE(process->readAllStandardOutput().isEmpty());
}

TEST_F(WatchCommandTest, KilledMidFramingLosesNothingAndDuplicatesNothing) {
    test::Mp4Spec spec;
    spec.frames = 600;
    test::makeMp4(dir / "long.mp4", spec);
    auto process = watch();
    waitUntilWatching();
    std::filesystem::copy_file(dir / "long.mp4", input / "Screen Recording long.mp4");
    test::writeScreenshot(input / "Screenshot b.png", 20, 30, 1);
    waitFor([&] { return hasHiddenTemporary(output); });
    ::kill(static_cast<pid_t>(process->processId()), SIGKILL);
    ASSERT_TRUE(process->waitForFinished(10000));
    for (const auto& name : visibleOutputs()) {
        EXPECT_EQ(name.rfind("Screenshot b-framed-", 0), 0u) << "no half-written " << name;
    }
    test::writeScreenshot(input / "Screenshot c.png", 20, 30, 2); // arrives while down

    auto restarted = watch();
    waitFor([&] { return visibleOutputs().size() >= 3; });
    std::this_thread::sleep_for(1500ms); // a further scan must not add anything
    ::kill(static_cast<pid_t>(restarted->processId()), SIGTERM);
    ASSERT_TRUE(restarted->waitForFinished(10000));
    EXPECT_EQ(restarted->exitCode(), 0);

    const auto names = visibleOutputs();
    ASSERT_EQ(names.size(), 3u) << restarted->readAllStandardError().toStdString();
    EXPECT_EQ(names[0].rfind("Screen Recording long-framed-", 0), 0u);
    EXPECT_EQ(names[1].rfind("Screenshot b-framed-", 0), 0u);
    EXPECT_EQ(names[2].rfind("Screenshot c-framed-", 0), 0u);
    const auto journal = dir / "state" / "cadrelle" / "journals";
    ASSERT_EQ(entriesOf(journal).size(), 1u);
    EXPECT_EQ(readCaptureJournal(journal / entriesOf(journal).front()).size(), 3u);

    // Every output was printed by one of the two runs.
    const auto printed =
        QString::fromUtf8(process->readAllStandardOutput() + restarted->readAllStandardOutput());
    for (const auto& name : names) {
        EXPECT_TRUE(printed.contains(QString::fromStdString((output / name).string()))) << name;
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
    terminate(*process);
    ASSERT_TRUE(process->waitForFinished(10000));
    EXPECT_EQ(process->exitCode(), 0);
    EXPECT_EQ(process->readAllStandardError().toStdString(), "");

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

    const auto journals = dir / "state" / "cadrelle" / "journals";
    const auto handled = readCaptureJournal(journals / entriesOf(journals).front());
    EXPECT_EQ(handled.size(), 4u);
    EXPECT_EQ(handled.count((input / old).string()), 1u);
    EXPECT_EQ(handled.count((input / odd).string()), 1u);

    // A restart reads that journal back and frames nothing again.
    auto again = watch();
    ASSERT_FALSE(again->waitForFinished(1500)) << again->readAllStandardError().toStdString();
    terminate(*again);
    ASSERT_TRUE(again->waitForFinished(10000));
    EXPECT_EQ(again->exitCode(), 0);
    EXPECT_TRUE(again->readAllStandardOutput().isEmpty());
    EXPECT_EQ(visibleOutputs().size(), 3u);
}

} // namespace
} // namespace cadrelle
