#include "updates/UserInstallation.h"

#include "support/Messages.h"
#include "support/TempDir.h"
#include "updates/TestArchive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <unistd.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;
using test::entriesOf;
using test::linkEntry;
using test::messageOf;
using test::programEntries;
using test::readText;
using test::TempDir;
using test::writeArchive;
using test::writeText;
using Entry = test::ArchiveEntry;
using Names = std::vector<std::string>;

const std::string kProgram = "#!/bin/sh\necho new\n";

// <prefix>/lib/cadrelle/0.1.0/bin/cadrelle with current → 0.1.0, the versions
// folder owned by a user other than root (tests may run as root).
class UserInstallationTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(program.parent_path());
        writeText(program, "#!/bin/sh\necho old\n");
        fs::permissions(program, fs::perms(0755));
        fs::create_symlink("0.1.0", versions / "current");
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(versions.c_str(), user, static_cast<gid_t>(-1)), 0);
        }
    }

    TempDir temp;
    fs::path versions = temp / "prefix/lib/cadrelle";
    fs::path program = versions / "0.1.0/bin/cadrelle";
    uid_t user = ::geteuid() == 0 ? 4242 : ::geteuid();
};

TEST_F(UserInstallationTest, RefusesHostileAndDamagedArchivesLeavingNothingBehind) {
    const std::string outside = (temp / "absolute").string();
    std::string noise(300000, '\0');
    std::mt19937 random(7);
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    const Entry good{"bin/cadrelle", kProgram};
    const Entry version{"VERSION", "0.2.0\n"};
    auto chain = test::escapingLinkChain();
    chain.insert(chain.begin(), {good, version});
    const std::vector<std::pair<std::vector<Entry>, std::string>> cases = {
        {{good, {"../escaped", "x"}}, "unsafe entry: ../escaped."},
        {{good, {outside, "x"}}, "unsafe entry: " + outside + "."},
        {{good, {"bin/outside", "", AE_IFLNK, 0777, "../../../.."}}, "unsafe entry: bin/outside."},
        {{good, {"bin/passwd", "", AE_IFREG, 0644, "", "/etc/passwd"}},
         "unsafe entry: bin/passwd."},
        {{good, {"console", "", AE_IFCHR}}, "unsafe entry: console."},
        // Links that each stay inside, but not once followed through each other.
        {chain, "unsafe entry: "},
        {{good, version, linkEntry("a", "b"), linkEntry("b", "a")}, "unsafe entry: "},
        {{{"README.md", "read me"}}, "doesn't contain the program."},
        {{{"bin/cadrelle", kProgram, AE_IFREG, 0644}}, "doesn't contain the program."},
        {{good, {"share/noise", noise}}, "is damaged."},
        {{good, {"share/big", std::string(2 << 20, 'x')}}, "too large when unpacked."},
    };
    UserInstallation installation(Installation::of(program), user, 1 << 20);
    ASSERT_TRUE(installation.canInstall());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const fs::path archive = temp / ("case-" + std::to_string(i) + ".tar.gz");
        writeArchive(archive, cases[i].first);
        if (cases[i].second == "is damaged.") {
            fs::resize_file(archive, fs::file_size(archive) / 2);
        }
        const std::string message = messageOf([&] { installation.stage(archive, "0.2.0"); });
        EXPECT_NE(message.find(cases[i].second), std::string::npos) << i << ": " << message;
        EXPECT_EQ(entriesOf(versions), (Names{"0.1.0", "current"})) << i;
    }
    EXPECT_FALSE(fs::exists(temp / "absolute"));

    EXPECT_EQ(messageOf([&] { installation.activate("0.3.0"); }),
              "Version 0.3.0 can't be used because it hasn't been unpacked.");
    EXPECT_EQ(entriesOf(versions), (Names{"0.1.0", "current"}));
    EXPECT_EQ(readText(program), "#!/bin/sh\necho old\n");
}

TEST_F(UserInstallationTest, InstallsAnArchiveOnlyAsTheNewerVersionItHolds) {
    UserInstallation installation(Installation::of(program), user);
    const auto staged = [&](const std::vector<Entry>& entries, const std::string& version) {
        const fs::path archive = temp / "update.tar.gz";
        writeArchive(archive, entries);
        return messageOf([&] { installation.stage(archive, version); });
    };
    // A feed that announces a newer version with the archive of an older
    // one, or with an archive that doesn't say what it holds.
    EXPECT_EQ(staged(programEntries("0.0.9"), "0.3.0"),
              "The update was refused because its archive holds version 0.0.9, not version "
              "0.3.0 as the update feed says.");
    EXPECT_EQ(staged({{"bin/cadrelle", kProgram}}, "0.3.0"),
              "The update was refused because its archive doesn't say which version it holds.");
    EXPECT_EQ(staged({{"bin/cadrelle", kProgram}, linkEntry("VERSION", "bin/cadrelle")}, "0.3.0"),
              "The update was refused because its archive doesn't say which version it holds.");
    // Never the running version or an older one, whatever the archive says.
    for (const std::string version : {"0.1.0", "0.1", "0.0.9"}) {
        EXPECT_EQ(staged(programEntries(version), version),
                  "The update was refused because version " + version +
                      " isn't newer than version 0.1.0, the one running.");
    }
    EXPECT_EQ(staged(programEntries("0.2.0"), "../0.2.0"),
              "The update was refused because its version number isn't valid.");
    EXPECT_EQ(entriesOf(versions), (Names{"0.1.0", "current"}));

    // Links that stay inside the folder, even through each other, are fine.
    auto withLinks = programEntries("0.2.0");
    withLinks.push_back(linkEntry("lib/bin", "../bin"));
    withLinks.push_back(linkEntry("share/program", "../lib/bin/cadrelle"));
    EXPECT_EQ(staged(withLinks, "0.2.0"), "");
    EXPECT_EQ(readText(versions / "0.2.0/share/program"), "#!/bin/sh\necho 0.2.0\n");
}

TEST_F(UserInstallationTest, RemovesOnlyOlderVersionsItInstalledItself) {
    const auto folder = [&](const std::string& name, std::optional<std::string> marker) {
        fs::create_directories(versions / name);
        writeText(versions / name / "notes.txt", "mine");
        if (marker) {
            writeText(versions / name / UserInstallation::kMarker, *marker + "\n");
        }
    };
    folder("mynotes", std::nullopt);
    folder("0.9.0", std::nullopt);                        // newer, not ours
    folder("0.0.8", std::nullopt);                        // older, not ours
    folder("0.0.9", "0.0.9");                             // older and ours
    folder("0.0.7", "0.0.6");                             // a marked folder that was renamed
    fs::create_directories(versions / ".staging-abc123"); // an interrupted update

    UserInstallation installation(Installation::of(program), user);
    const fs::path archive = temp / "update.tar.gz";
    writeArchive(archive, programEntries("0.9.0"));
    EXPECT_EQ(messageOf([&] { installation.stage(archive, "0.9.0"); }),
              "The update couldn't be installed because " + (versions / "0.9.0").string() +
                  " already exists and wasn't installed by Cadrelle.");
    EXPECT_EQ(readText(versions / "0.9.0/notes.txt"), "mine");

    writeArchive(archive, programEntries("0.2.0"));
    installation.stage(archive, "0.2.0");
    installation.activate("0.2.0");
    EXPECT_EQ(entriesOf(versions),
              (Names{"0.0.7", "0.0.8", "0.1.0", "0.2.0", "0.9.0", "current", "mynotes"}));
    EXPECT_EQ(readText(versions / "0.2.0" / UserInstallation::kMarker), "0.2.0\n");
    EXPECT_EQ(installation.currentExecutable(), versions / "0.2.0/bin/cadrelle");
}

TEST_F(UserInstallationTest, CanInstallOnlyFromTheUsersVersionedFolder) {
    EXPECT_TRUE(UserInstallation(Installation::of(program), user).canInstall());
    // Installed for everyone: the folder belongs to someone else, or the
    // program runs as root.
    EXPECT_FALSE(UserInstallation(Installation::of(program), user + 1).canInstall());
    EXPECT_FALSE(UserInstallation(Installation::of(program), 0).canInstall());
    // Not a versioned folder: a program copied straight into bin.
    const fs::path plain = temp / "plain/bin/cadrelle";
    fs::create_directories(plain.parent_path());
    fs::copy_file(program, plain);
    UserInstallation unversioned(Installation::of(plain), user);
    EXPECT_FALSE(unversioned.canInstall());
    EXPECT_EQ(unversioned.currentExecutable(), plain);
    const fs::path archive = temp / "good.tar.gz";
    writeArchive(archive, {{"bin/cadrelle", kProgram}});
    EXPECT_EQ(messageOf([&] { unversioned.stage(archive, "0.2.0"); }),
              "Cadrelle can't update itself because it isn't installed in a folder that belongs "
              "to you.");
    // Read-only for its owner.
    fs::permissions(versions, fs::perms(0555));
    EXPECT_FALSE(UserInstallation(Installation::of(program), user).canInstall());
    fs::permissions(versions, fs::perms(0755));
    // Not the version in use.
    fs::remove(versions / "current");
    fs::create_symlink("0.0.9", versions / "current");
    EXPECT_FALSE(UserInstallation(Installation::of(program), user).canInstall());
    EXPECT_EQ(entriesOf(versions), (Names{"0.1.0", "current"}));
}

#ifdef CADRELLE_TEST_RELEASES
// Runs a shell command; true when it exits with 0.
bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::string quoted(const fs::path& path) {
    std::string text = "'";
    text += path.string();
    text += '\'';
    return text;
}

std::string bytesOf(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(UserInstallationRelease, StagesAndActivatesTheNewVersionKeepingTheRunningOne) {
    TempDir temp;
    const std::string releases = CADRELLE_TEST_RELEASES;
    const std::string load = ". " + quoted(fs::path(releases) / "test-releases.sh") + " && ";
    const fs::path prefix = temp / "prefix";
    const std::string old = quoted(temp / "old");
    const std::string fresh = quoted(temp / "new");
    ASSERT_TRUE(run(load + "mkdir " + old + " " + fresh +
                    " && tar -xzf \"$CADRELLE_TEST_OLD_ARCHIVE\" -C " + old +
                    " && tar -xzf \"$CADRELLE_TEST_NEW_ARCHIVE\" -C " + fresh + " && " +
                    quoted(temp / "old/install.sh") + " " + quoted(prefix) + " >/dev/null"));
    const fs::path versions = prefix / "lib/cadrelle";
    // An older version installed earlier and the remains of an interrupted
    // update.
    fs::create_directories(versions / "0.0.9/bin");
    writeText(versions / "0.0.9" / UserInstallation::kMarker, "0.0.9\n");
    fs::create_directories(versions / ".staging-abc123");
    const uid_t user = ::geteuid() == 0 ? 4242 : ::geteuid();
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(versions.c_str(), user, static_cast<gid_t>(-1)), 0);
    }

    UserInstallation installation(Installation::of(versions / "0.1.0/bin/cadrelle"), user);
    ASSERT_TRUE(installation.canInstall());
    fs::path newArchive;
    for (const auto& entry : fs::directory_iterator(releases)) {
        if (entry.path().filename().string().starts_with("cadrelle-0.2.0-")) {
            newArchive = entry.path();
        }
    }
    installation.stage(newArchive, "0.2.0");
    EXPECT_EQ(fs::read_symlink(versions / "current"), "0.1.0");
    // Staging the same version again replaces the copy that isn't running.
    installation.stage(newArchive, "0.2.0");
    installation.activate("0.2.0");

    EXPECT_EQ(fs::read_symlink(versions / "current"), "0.2.0");
    EXPECT_EQ(entriesOf(versions), (Names{"0.1.0", "0.2.0", "current"}));
    EXPECT_EQ(readText(versions / "0.1.0" / UserInstallation::kMarker), "0.1.0\n")
        << "install.sh marks what it installs";
    const fs::path current = installation.currentExecutable();
    EXPECT_EQ(current, versions / "0.2.0/bin/cadrelle");
    EXPECT_EQ(fs::canonical(prefix / "bin/cadrelle"), current);
    EXPECT_EQ(bytesOf(current), bytesOf(temp / "new/bin/cadrelle"));
    EXPECT_NE(bytesOf(current), bytesOf(versions / "0.1.0/bin/cadrelle"));
    EXPECT_TRUE(fs::is_directory(versions / "0.2.0/share/cadrelle/Frames"));
    EXPECT_TRUE(run(quoted(current) + " help | grep -q '^Cadrelle$'"));
}
#endif

} // namespace
} // namespace cadrelle
