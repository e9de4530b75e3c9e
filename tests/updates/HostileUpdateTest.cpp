// The updater against a hostile feed and hostile archives, end to end: the
// feed comes from a local HTTPS server, every archive is signed with the
// build's throwaway update key, and the real installer unpacks into a prefix
// set up with the test releases' own install.sh.
#ifdef CADRELLE_TEST_RELEASES

#include "support/CoreApplication.h"
#include "support/TempDir.h"
#include "updates/AppUpdater.h"
#include "updates/FakeUpdateUserDriver.h"
#include "updates/LinuxUpdateBackend.h"
#include "updates/TestArchive.h"
#include "updates/UpdateTestServer.h"
#include "updates/UserInstallation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Names = std::vector<std::string>;

const fs::path kReleases = CADRELLE_TEST_RELEASES;

std::string quoted(const fs::path& path) {
    std::string text = "'";
    text += path.string();
    text += '\'';
    return text;
}

fs::path releaseArchive(const std::string& version) {
    for (const auto& entry : fs::directory_iterator(kReleases)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("cadrelle-") && name.substr(9).starts_with(version + "-")) {
            return entry.path();
        }
    }
    ADD_FAILURE() << "no test release " << version << " in " << kReleases;
    return {};
}

QByteArray bytesOf(const fs::path& path) {
    return QByteArray::fromStdString(test::readText(path));
}

// A prefix where the user installed 0.1.0 and then 0.2.0 from their release
// archives, and keeps folders of their own beside them; 0.2.0 runs.
class HostileUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string version : {"0.1.0", "0.2.0"}) {
            const fs::path unpacked = temp / ("unpacked-" + version);
            fs::create_directories(unpacked);
            ASSERT_EQ(std::system(("tar -xzf " + quoted(releaseArchive(version)) + " -C " +
                                   quoted(unpacked) + " && " + quoted(unpacked / "install.sh") +
                                   " " + quoted(prefix) + " >/dev/null")
                                      .c_str()),
                      0);
        }
        fs::create_directories(versions / "mynotes");
        fs::create_directories(versions / "0.9.0");
        test::writeText(versions / "0.9.0/notes.txt", "not Cadrelle's");
        // The program never updates itself as root; tests may run as root.
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(versions.c_str(), user, static_cast<gid_t>(-1)), 0);
        }
        LinuxUpdateBackend::Options options;
        options.settingsFile = temp / "Cadrelle.conf";
        options.downloadFolder = temp / "downloads";
        options.runningVersion = installation.version;
        options.launchDelay = 1h;
        options.relaunch = [this](const fs::path& program) { relaunched = program; };
        auto backend = std::make_shared<LinuxUpdateBackend>(
            options, std::make_shared<UserInstallation>(installation, user), driver);
        updater = std::make_unique<AppUpdater>(
            UpdateConfiguration{server.url(u"/appcast.xml"_qs),
                                test::readText(kReleases / "update-key.base64"), server.caFile()},
            backend);
        updater->start();
        ASSERT_TRUE(updater->isAvailable()) << updater->statusMessage().value_or("");
    }

    // The feed offers `version` with `archive`, signed with the build's key.
    void offer(const std::string& version, const QByteArray& archive) {
        server.routes[u"/update.tar.gz"_qs] = {archive, 200, {}};
        server.routes[u"/appcast.xml"_qs] = {
            test::UpdateTestServer::feed(
                {{version, version, "Cadrelle " + version, "https://cadrelle.example/download",
                  server.url(u"/update.tar.gz"_qs), archive.size(), key.sign(archive)}}),
            200,
            {}};
    }

    // Checks as the user would, installs what is found and returns the
    // status line the About page shows then ("" when there is none).
    std::string checkAndInstall() {
        updater->checkForUpdates();
        EXPECT_TRUE(test::waitUntil([&] { return updater->canCheckNow() || relaunched; }, 120s));
        return updater->statusMessage().value_or("");
    }

    void expectUnchanged() {
        EXPECT_EQ(test::entriesOf(versions),
                  (Names{"0.1.0", "0.2.0", "0.9.0", "current", "mynotes"}));
        EXPECT_EQ(fs::read_symlink(versions / "current"), "0.2.0");
        EXPECT_TRUE(test::entriesOf(temp / "downloads").empty());
        EXPECT_FALSE(relaunched);
    }

    const bool application = (test::ensureCoreApplication(), true);
    test::TempDir temp;
    const fs::path prefix = temp / "prefix";
    const fs::path versions = prefix / "lib/cadrelle";
    const uid_t user = ::geteuid() == 0 ? 4242 : ::geteuid();
    const Installation installation = Installation::of(versions / "0.2.0/bin/cadrelle");
    test::UpdateTestServer server;
    const test::TestSigningKey key{kReleases / "update-key.pem"};
    std::shared_ptr<test::FakeUpdateUserDriver> driver =
        std::make_shared<test::FakeUpdateUserDriver>();
    std::unique_ptr<AppUpdater> updater;
    std::optional<fs::path> relaunched;
};

TEST_F(HostileUpdateTest, InstallsAnArchiveOnlyAsTheVersionItsSignedBytesName) {
    // The genuine, signed 0.1.0 archive announced as 0.3.0 would be a
    // downgrade that then refuses the real 0.3.0 as the one running.
    offer("0.3.0", bytesOf(releaseArchive("0.1.0")));
    EXPECT_EQ(checkAndInstall(), "The update was refused because its archive holds version "
                                 "0.1.0, not version 0.3.0 as the update feed says.");
    expectUnchanged();

    offer("0.3.0", bytesOf(releaseArchive("0.3.0")));
    EXPECT_EQ(checkAndInstall(), "");
    EXPECT_EQ(relaunched, versions / "0.3.0/bin/cadrelle");
    EXPECT_EQ(fs::read_symlink(versions / "current"), "0.3.0");
    // 0.1.0, older than the version that ran and installed by Cadrelle, goes;
    // the user's folders stay, even one named like a newer version.
    EXPECT_EQ(test::entriesOf(versions), (Names{"0.2.0", "0.3.0", "0.9.0", "current", "mynotes"}));
    EXPECT_EQ(test::readText(versions / "0.9.0/notes.txt"), "not Cadrelle's");
    EXPECT_EQ(fs::canonical(prefix / "bin/cadrelle"), versions / "0.3.0/bin/cadrelle");
}

TEST_F(HostileUpdateTest, RefusesLinksThatLeadOutOfTheVersionFolderThroughEachOther) {
    const fs::path archive = temp / "links.tar.gz";
    auto entries = test::programEntries("0.3.0");
    for (auto& link : test::escapingLinkChain()) {
        entries.push_back(std::move(link));
    }
    test::writeArchive(archive, entries);
    offer("0.3.0", bytesOf(archive));
    EXPECT_TRUE(checkAndInstall().starts_with(
        "The update was refused because its archive contains an unsafe entry: "))
        << updater->statusMessage().value_or("");
    expectUnchanged();
}

} // namespace
} // namespace cadrelle

#endif
