#include "updates/LinuxUpdateBackend.h"
#include "core/AppError.h"
#include "support/CoreApplication.h"
#include "support/TempDir.h"
#include "updates/AppUpdater.h"
#include "updates/FakeUpdateUserDriver.h"
#include "updates/UpdateTestServer.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

using namespace std::chrono_literals;

// Records what the backend asks of the installation; the archive must exist
// while it is staged.
struct FakeInstaller : UpdateInstaller {
    bool installable = true;
    std::vector<std::string> calls;
    QByteArray stagedBytes;
    bool canInstall() const override { return installable; }
    void stage(const std::filesystem::path& archive, const std::string& version) override {
        stagedBytes = QByteArray::fromStdString(test::readText(archive));
        calls.push_back("stage " + version);
    }
    void activate(const std::string& version) override { calls.push_back("activate " + version); }
    std::filesystem::path currentExecutable() const override { return "/home/u/.local/cadrelle"; }
};

class LinuxUpdateBackendTest : public ::testing::Test {
protected:
    LinuxUpdateBackendTest() {
        server.routes[u"/archive.tar.gz"_qs] = {archive, 200, {}};
        offer(archive.size(), key.sign(archive));
    }

    // The feed offers 0.2.0 with this length and signature.
    void offer(std::int64_t length, const QByteArray& signature) {
        server.routes[u"/feed.xml"_qs] = {
            test::UpdateTestServer::feed(
                {{"0.2.0", "0.2", "Faster exports.", "https://cadrelle.example/download",
                  server.url(u"/archive.tar.gz"_qs), length, signature}}),
            200,
            {}};
    }

    std::unique_ptr<AppUpdater> makeUpdater(std::chrono::milliseconds launchDelay = 1h) {
        LinuxUpdateBackend::Options options{
            folder / "Cadrelle.conf",
            folder / "downloads",
            "0.1.0",
            10s,
            launchDelay,
            [this] { return now; },
            [this](const std::filesystem::path& program) { relaunched = program; }};
        backend = std::make_shared<LinuxUpdateBackend>(options, installer, driver);
        auto updater = std::make_unique<AppUpdater>(UpdateConfiguration{server.url(u"/feed.xml"_qs),
                                                                        key.publicKeyBase64(),
                                                                        server.caFile()},
                                                    backend, 20ms);
        updater->workIsInProgress = [this] { return working; };
        updater->start();
        EXPECT_TRUE(updater->isAvailable()) << updater->statusMessage().value_or("");
        return updater;
    }

    // Runs a user-started check and waits until its session is over.
    void checkAndWait(AppUpdater& updater) {
        updater.checkForUpdates();
        ASSERT_TRUE(test::waitUntil([&] { return updater.canCheckNow() || relaunched; }));
    }

    // Qt's TLS backends need the application object before the server.
    const bool application = (test::ensureCoreApplication(), true);
    test::TempDir folder;
    test::UpdateTestServer server;
    test::TestSigningKey key;
    const QByteArray archive = QByteArray(200000, 'z');
    double now = 700000000;
    bool working = false;
    std::optional<std::filesystem::path> relaunched;
    std::shared_ptr<FakeInstaller> installer = std::make_shared<FakeInstaller>();
    std::shared_ptr<test::FakeUpdateUserDriver> driver =
        std::make_shared<test::FakeUpdateUserDriver>();
    std::shared_ptr<LinuxUpdateBackend> backend;
};

TEST_F(LinuxUpdateBackendTest, RefusesBadDownloadsAndInstallsAGoodOneAfterTheExport) {
    auto updater = makeUpdater();
    const auto failure = [&] {
        checkAndWait(*updater);
        EXPECT_TRUE(test::entriesOf(folder / "downloads").empty()) << "nothing left behind";
        EXPECT_TRUE(installer->calls.empty());
        return updater->statusMessage().value_or("no message");
    };
    offer(archive.size(), key.sign(archive + "x"));
    EXPECT_EQ(failure(), "The downloaded update isn't signed with Cadrelle's key.");
    offer(archive.size() - 1, key.sign(archive));
    EXPECT_EQ(failure(), "The downloaded update doesn't have the size the feed gives.");
    offer(archive.size() + 1, key.sign(archive));
    EXPECT_EQ(failure(), "The downloaded update doesn't have the size the feed gives.");
    server.routes[u"/feed.xml"_qs] = {
        {}, 302, QByteArray::fromStdString(server.url(u"/x"_qs)).replace("https:", "http:")};
    EXPECT_EQ(failure(), "The update server sent Cadrelle to an address that isn't secure.");
    server.routes.erase(u"/feed.xml"_qs);
    EXPECT_EQ(failure(), "The update feed couldn't be loaded: Error transferring " +
                             server.url(u"/feed.xml"_qs) + " - server replied: X.");
    ASSERT_EQ(driver->shown.size(), 3u);
    EXPECT_EQ(driver->shown[0].shortVersion, "0.2");
    EXPECT_EQ(driver->shown[0].notes, "Faster exports.");
    EXPECT_TRUE(driver->shown[0].canInstall && driver->shown[0].userInitiated);

    offer(archive.size(), key.sign(archive));
    working = true;
    updater->checkForUpdates();
    ASSERT_TRUE(test::waitUntil([&] { return updater->statusMessage().has_value(); }));
    EXPECT_EQ(updater->statusMessage(),
              "The update will restart Cadrelle after the current export finishes.");
    EXPECT_EQ(installer->calls, std::vector<std::string>{"stage 0.2.0"});
    EXPECT_EQ(installer->stagedBytes, archive);
    working = false;
    ASSERT_TRUE(test::waitUntil([&] { return relaunched.has_value(); }));
    EXPECT_EQ(installer->calls, (std::vector<std::string>{"stage 0.2.0", "activate 0.2.0"}));
    EXPECT_EQ(*relaunched, "/home/u/.local/cadrelle");
    EXPECT_TRUE(test::entriesOf(folder / "downloads").empty());
    updater->applicationWillTerminate();
    EXPECT_EQ(installer->calls.size(), 2u) << "activated once";
}

TEST_F(LinuxUpdateBackendTest, ChecksOnceADayAndInstallsQuietFetchesOnQuit) {
    QSettings(QString::fromStdString((folder / "Cadrelle.conf").string()), QSettings::IniFormat)
        .setValue(u"Updates/lastUpdateCheckDate"_qs, now - 3600);
    auto updater = makeUpdater(0ms);
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());
    EXPECT_FALSE(updater->automaticallyDownloadsUpdates());
    ASSERT_TRUE(backend->nextScheduledCheck());
    EXPECT_NEAR(backend->nextScheduledCheck()->count(), 23 * 3600 * 1000, 60000);

    installer->installable = false;
    updater = makeUpdater(0ms);
    driver->answer = UpdateUserDriver::Choice::later;
    now += 2 * 24 * 3600; // a day has passed: due at once
    updater->setAutomaticallyChecksForUpdates(true);
    ASSERT_TRUE(test::waitUntil([&] { return driver->shown.size() == 1; }));
    EXPECT_FALSE(driver->shown[0].canInstall || driver->shown[0].userInitiated);
    EXPECT_EQ(driver->shown[0].downloadPage, "https://cadrelle.example/download");
    ASSERT_TRUE(test::waitUntil([&] { return updater->canCheckNow(); }));
    EXPECT_EQ(updater->lastUpdateCheckDate(), now);
    EXPECT_NEAR(backend->nextScheduledCheck()->count(), 24 * 3600 * 1000, 60000);
    EXPECT_FALSE(updater->allowsAutomaticUpdates());

    installer->installable = true;
    updater = makeUpdater(0ms);
    updater->setAutomaticallyDownloadsUpdates(true);
    now += 24 * 3600;
    updater->setAutomaticallyChecksForUpdates(true);
    ASSERT_TRUE(
        test::waitUntil([&] { return !installer->calls.empty() && updater->canCheckNow(); }));
    EXPECT_EQ(installer->calls, std::vector<std::string>{"stage 0.2.0"});
    EXPECT_EQ(driver->shown.size(), 1u) << "fetched without a window";
    updater->applicationWillTerminate();
    EXPECT_EQ(installer->calls, (std::vector<std::string>{"stage 0.2.0", "activate 0.2.0"}));
    EXPECT_FALSE(relaunched.has_value()) << "installed on quit, without a restart";

    server.routes[u"/feed.xml"_qs] = {test::UpdateTestServer::feed({}), 200, {}};
    checkAndWait(*updater);
    EXPECT_EQ(driver->messages,
              std::vector<std::string>{"Cadrelle 0.1.0 is the newest version available."});
}

} // namespace
} // namespace cadrelle
