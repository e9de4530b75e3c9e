#include "FakeSimulatorTools.h"

#include "core/AppError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>

namespace cadrelle::test {
namespace {

const std::string kInstallXcode =
    "Install Xcode and an iOS simulator to use the simulator time override.";
const std::string kTimedOut =
    "Simulator time update timed out. Open Xcode or Glimmerbox and try again.";

std::string text(const Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

std::string failureOf(SimulatorCommandRunner& runner, const std::vector<std::string>& arguments) {
    try {
        runner.run(arguments);
    } catch (const std::exception& error) {
        return userDescription(error);
    }
    return "(no failure)";
}

// The developer directory a new runner passes to simctl.
std::string usedDeveloperDirectory(const FakeSimulatorTools& tools) {
    SimulatorCommandRunner(tools.settings()).run({"list", "devices", "--json"});
    return readText(tools.root() / "fake/developer-dir");
}

TEST(SimulatorCommandRunnerTest, WithoutXcodeEveryRunAsksToInstallIt) {
    ::unsetenv("DEVELOPER_DIR");
    const TempDir empty;
    SimulatorCommandSettings settings;
    settings.xcrun = empty / "usr/bin/xcrun";
    settings.xcodeSelect = empty / "usr/bin/xcode-select";
    settings.applicationsFolder = empty / "Applications";
    settings.homeFolder = empty / "home";
    settings.temporaryFolder = empty.path();
    SimulatorCommandRunner runner(settings);
    EXPECT_EQ(failureOf(runner, {"list", "devices", "--json"}), kInstallXcode);
    EXPECT_EQ(failureOf(runner, {"list", "devices", "--json"}), kInstallXcode);
    EXPECT_FALSE(runner.developerDirectory());

    // Every pass of the time override says so, and nothing is saved.
    auto shared = std::make_shared<SimulatorCommandRunner>(settings);
    SimulatorTimeSession session(
        empty / "data/simulator-time-devices.json",
        [shared](const auto& arguments) { return shared->run(arguments); });
    session.minutes = 581;
    EXPECT_EQ(session.refresh(), (SimulatorTimeStatus{kInstallXcode, true}));
    EXPECT_EQ(session.refresh(), (SimulatorTimeStatus{kInstallXcode, true}));
    EXPECT_TRUE(empty.entries().empty()); // no temporary folder or state file left behind
}

TEST(SimulatorCommandRunnerTest, SearchesDeveloperDirectoriesInOrder) {
    FakeSimulatorTools tools;
    const auto fixed = tools.root() / "Applications/Xcode.app/Contents/Developer";

    // DEVELOPER_DIR naming an application bundle is accepted through its
    // "Contents/Developer" folder, ahead of every other candidate.
    tools.installSimctl(tools.root() / "Custom.app");
    ::setenv("DEVELOPER_DIR", (tools.root() / "Custom.app").c_str(), 1);
    EXPECT_EQ(usedDeveloperDirectory(tools),
              (tools.root() / "Custom.app/Contents/Developer").string());
    ::unsetenv("DEVELOPER_DIR");

    // The folder xcode-select names comes before the fixed Xcode location.
    tools.installSimctl(tools.root() / "Selected.app");
    tools.selectDeveloperDirectory(tools.root() / "Selected.app/Contents/Developer");
    EXPECT_EQ(usedDeveloperDirectory(tools),
              (tools.root() / "Selected.app/Contents/Developer").string());

    // Without a selection the fixed location is tried before the sorted bundles.
    tools.selectDeveloperDirectory(std::nullopt);
    tools.installSimctl(tools.root() / "Applications/Xcode-beta.app");
    EXPECT_EQ(usedDeveloperDirectory(tools), fixed.string());

    // Then "/Applications" in plain text order (a hyphen sorts before a full
    // stop), entries named exactly "*.app" only, then the home Applications.
    std::filesystem::rename(tools.root() / "Applications/Xcode.app",
                            tools.root() / "Applications/Xcode.app0");
    tools.installSimctl(tools.root() / "Applications/Xcode.APP");
    tools.installSimctl(tools.root() / "home/Applications/Aardvark.app");
    EXPECT_EQ(usedDeveloperDirectory(tools),
              (tools.root() / "Applications/Xcode-beta.app/Contents/Developer").string());
    std::filesystem::remove_all(tools.root() / "Applications/Xcode-beta.app");
    EXPECT_EQ(usedDeveloperDirectory(tools),
              (tools.root() / "home/Applications/Aardvark.app/Contents/Developer").string());

    // A simctl that is not executable does not qualify.
    std::filesystem::permissions(
        tools.root() / "home/Applications/Aardvark.app/Contents/Developer/usr/bin/simctl",
        std::filesystem::perms::owner_read);
    SimulatorCommandRunner runner(tools.settings());
    EXPECT_EQ(failureOf(runner, {"list", "devices", "--json"}), kInstallXcode);
    EXPECT_TRUE(tools.leftovers().empty());
}

TEST(SimulatorCommandRunnerTest, KeepsTheDeveloperDirectoryOnceFound) {
    FakeSimulatorTools tools;
    const auto xcode = tools.root() / "Applications/Xcode.app";
    const auto away = tools.root() / "Xcode-moved.app";
    std::filesystem::rename(xcode, away);
    SimulatorCommandRunner runner(tools.settings());

    // A failed search is not kept: once Xcode is back, the next run finds it.
    EXPECT_EQ(failureOf(runner, {"list", "devices", "--json"}), kInstallXcode);
    std::filesystem::rename(away, xcode);
    EXPECT_EQ(text(runner.run({"list", "devices", "--json"})), "{\"devices\":{}}");
    ASSERT_TRUE(runner.developerDirectory());
    EXPECT_EQ(*runner.developerDirectory(), xcode / "Contents/Developer");

    // Moving Xcode away later does not search again: the tool's own error shows.
    std::filesystem::rename(xcode, away);
    const auto message = failureOf(runner, {"status_bar", "X", "clear"});
    EXPECT_EQ(message.rfind("Couldn't update simulator time. ", 0), 0u) << message;
    EXPECT_NE(message.find("usr/bin/simctl"), std::string::npos) << message;
    EXPECT_EQ(tools.calls(), (std::vector<std::string>{"simctl [list] [devices] [--json]"}));
    // xcode-select was asked once per search, and there were two searches.
    EXPECT_EQ(readText(tools.root() / "fake/xcode-select.log"), "-p\n-p\n");
    EXPECT_TRUE(tools.leftovers().empty());
}

TEST(SimulatorCommandRunnerTest, ReportsFailuresWithTheirErrorOutput) {
    FakeSimulatorTools tools;
    const auto simctl = tools.root() / "Applications/Xcode.app/Contents/Developer/usr/bin/simctl";
    SimulatorCommandRunner runner(tools.settings());

    // Standard output comes back byte for byte, arguments arrive unchanged.
    const char raw[] = "line one\n\x00\xff\xfe tail";
    const std::string binary(raw, sizeof raw - 1);
    writeScript(simctl, "printf '%s|' \"$@\"\nprintf 'line one\\n\\000\\377\\376 tail'\n");
    EXPECT_EQ(text(runner.run({"a b", "$(echo hi)", "'\"", ""})), "a b|$(echo hi)|'\"||" + binary);

    // Long error output is trimmed and cut to its first 600 characters.
    std::string longError;
    for (int i = 0; i < 2000; ++i) {
        longError += static_cast<char>('a' + i % 26);
    }
    writeText(tools.root() / "fake/error", "\n  \t" + longError + "\n\n");
    writeScript(simctl, "cat '" + (tools.root() / "fake/error").string() + "' >&2\nexit 3\n");
    EXPECT_EQ(failureOf(runner, {"list"}),
              "Couldn't update simulator time. " + longError.substr(0, 600));

    // Characters are counted whole: 700 "é" written as two code points each.
    std::string accented;
    for (int i = 0; i < 700; ++i) {
        accented += "e\xcc\x81";
    }
    writeText(tools.root() / "fake/error", accented);
    EXPECT_EQ(failureOf(runner, {"list"}),
              "Couldn't update simulator time. " + accented.substr(0, 600 * 3));

    // Empty, blank or undecodable error output gives the generic advice.
    const std::string generic =
        "Couldn't update simulator time. Open Xcode or Glimmerbox and try again.";
    writeScript(simctl, "printf ' \\n\\t ' >&2\nexit 1\n");
    EXPECT_EQ(failureOf(runner, {"list"}), generic);
    writeScript(simctl, "printf 'bad \\377\\376 bytes' >&2\nexit 1\n");
    EXPECT_EQ(failureOf(runner, {"list"}), generic);
    // A child ended by a signal has failed too.
    writeScript(simctl, "echo 'crashed' >&2\nkill -TERM $$\n");
    EXPECT_EQ(failureOf(runner, {"list"}), "Couldn't update simulator time. crashed");

    // A program that cannot be launched fails with the system's reason.
    auto settings = tools.settings();
    settings.xcrun = tools.root() / "bin/missing-xcrun";
    SimulatorCommandRunner missing(settings);
    const auto launchError = failureOf(missing, {"list"});
    EXPECT_EQ(launchError.rfind(settings.xcrun.string() + ": ", 0), 0u) << launchError;
    EXPECT_NE(launchError.find("No such file or directory"), std::string::npos) << launchError;

    EXPECT_TRUE(tools.leftovers().empty());
}

TEST(SimulatorCommandRunnerTest, StopsCommandsThatRunTooLong) {
    FakeSimulatorTools tools;
    const auto simctl = tools.root() / "Applications/Xcode.app/Contents/Developer/usr/bin/simctl";
    const auto pidFile = tools.root() / "fake/pid";
    // Ignores the terminate request; only SIGKILL ends it.
    writeScript(simctl, "echo $$ > '" + pidFile.string() +
                            "'\ntrap '' TERM\nwhile :; do sleep 0.1; done\n");

    auto settings = tools.settings();
    settings.timeLimit = std::chrono::milliseconds(300);
    settings.terminateWait = std::chrono::milliseconds(200);
    settings.killWait = std::chrono::milliseconds(1000);
    SimulatorCommandRunner quick(settings);
    EXPECT_EQ(failureOf(quick, {"list"}), kTimedOut);
    const auto pid = std::stoi(readText(pidFile));
    EXPECT_NE(::kill(pid, 0), 0);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_TRUE(tools.leftovers().empty());
}

} // namespace
} // namespace cadrelle::test
