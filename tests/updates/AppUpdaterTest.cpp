#include "updates/AppUpdater.h"
#include "core/AppError.h"
#include "support/CoreApplication.h"
#include "updates/FakeUpdateBackend.h"

#include <gtest/gtest.h>

#include <chrono>

namespace cadrelle {
namespace {

using namespace std::chrono_literals;

const std::string kKey = "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8="; // 32 bytes

std::optional<std::string> startedMessage(const std::string& feed, const std::string& key) {
    AppUpdater updater({feed, key, {}}, std::make_shared<test::FakeUpdateBackend>());
    updater.start();
    return updater.isAvailable() ? std::nullopt : updater.statusMessage();
}

TEST(AppUpdater, RefusesAnUnsoundConfigurationAndStartsOnce) {
    const std::string refused = "Updates aren't configured correctly. Please contact support.";
    EXPECT_EQ(startedMessage("", ""), refused) << "a build without update settings";
    EXPECT_EQ(startedMessage("http://updates.example/feed.xml", kKey), refused);
    EXPECT_EQ(startedMessage("https:///feed.xml", kKey), refused);
    EXPECT_EQ(startedMessage("https://updates.example/feed.xml",
                             "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHg=="), // 31 bytes
              refused);
    EXPECT_EQ(startedMessage("https://updates.example/feed.xml",
                             "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8g"), // 33 bytes
              refused);
    EXPECT_EQ(startedMessage("https://updates.example/feed.xml", kKey), std::nullopt);

    auto backend = std::make_shared<test::FakeUpdateBackend>();
    backend->failsToStart = true;
    AppUpdater failing({"https://updates.example/feed.xml", kKey, {}}, backend);
    failing.start();
    failing.start();
    EXPECT_EQ(backend->prepared, 1) << "a second start does nothing";
    EXPECT_FALSE(failing.isAvailable());
    EXPECT_EQ(failing.statusMessage(), "Updates couldn't start. The feed is unreachable.");
    failing.checkForUpdates();
    EXPECT_EQ(backend->checks, 0);
}

TEST(AppUpdater, MirrorsTheBackendsSettingsAndChecksOnlyWhenItCan) {
    auto backend = std::make_shared<test::FakeUpdateBackend>();
    AppUpdater updater({"https://updates.example/feed.xml", kKey, {}}, backend);
    updater.start();
    EXPECT_TRUE(updater.isAvailable());
    EXPECT_TRUE(updater.automaticallyChecksForUpdates());
    EXPECT_EQ(updater.lastUpdateCheckDate(), 100.0);
    updater.setAutomaticallyDownloadsUpdates(true);
    EXPECT_TRUE(updater.automaticallyDownloadsUpdates());
    updater.checkForUpdates();
    EXPECT_EQ(backend->checks, 1);
    backend->canCheck = false;
    backend->events.settingsChanged();
    EXPECT_FALSE(updater.canCheckNow());
    updater.checkForUpdates();
    EXPECT_EQ(backend->checks, 1);

    backend->events.willShowUpdate(false);
    EXPECT_TRUE(updater.wantsAttention()) << "a scheduled update asks for attention";
    backend->events.willFinishSession();
    EXPECT_FALSE(updater.wantsAttention());
    backend->events.willShowUpdate(true);
    EXPECT_FALSE(updater.wantsAttention());
}

TEST(AppUpdater, HoldsTheRestartBackWhileAnExportRuns) {
    test::ensureCoreApplication();
    auto backend = std::make_shared<test::FakeUpdateBackend>();
    AppUpdater updater({"https://updates.example/feed.xml", kKey, {}}, backend, 20ms);
    updater.start();
    bool working = false;
    int polls = 0;
    updater.workIsInProgress = [&] {
        ++polls;
        return working;
    };
    // Runs the event loop until the updater has asked about the work `count`
    // more times (or `limit` passes: false).
    const auto pollsLater = [&](int count, std::chrono::milliseconds limit = 10s) {
        const int until = polls + count;
        return test::waitUntil([&] { return polls >= until; }, limit);
    };
    int resumed = 0;
    EXPECT_FALSE(backend->events.shouldPostponeRelaunch([&] { ++resumed; }));
    EXPECT_FALSE(updater.statusMessage().has_value());

    working = true;
    EXPECT_TRUE(backend->events.shouldPostponeRelaunch([&] { resumed += 10; }));
    EXPECT_TRUE(backend->events.shouldPostponeRelaunch([&] { ++resumed; }));
    EXPECT_EQ(updater.statusMessage(),
              "The update will restart Cadrelle after the current export finishes.");
    ASSERT_TRUE(pollsLater(3));
    EXPECT_EQ(resumed, 0) << "still held while the export runs";
    working = false;
    ASSERT_TRUE(test::waitUntil([&] { return resumed != 0; }));
    EXPECT_EQ(resumed, 1) << "the newest continuation only";
    EXPECT_FALSE(updater.statusMessage().has_value());
    EXPECT_FALSE(pollsLater(1, 200ms)) << "no further polls once resumed";

    working = true;
    EXPECT_TRUE(backend->events.shouldPostponeRelaunch([&] { resumed += 100; }));
    backend->events.didAbort("The downloaded update isn't signed with Cadrelle's key.");
    EXPECT_EQ(updater.statusMessage(), "The downloaded update isn't signed with Cadrelle's key.")
        << "the failure replaces the hold-back message";
    working = false;
    EXPECT_FALSE(pollsLater(1, 200ms)) << "an aborted update is not polled";
    EXPECT_EQ(resumed, 1) << "an aborted update never restarts";
}

} // namespace
} // namespace cadrelle
