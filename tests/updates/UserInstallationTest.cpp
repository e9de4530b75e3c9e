#include "updates/UserInstallation.h"

#include "support/Messages.h"
#include "support/TempDir.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <unistd.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;
using test::entriesOf;
using test::messageOf;
using test::readText;
using test::TempDir;
using test::writeText;
using Names = std::vector<std::string>;

struct Entry {
    Entry(std::string name_, std::string contents_ = {}, unsigned type_ = AE_IFREG,
          unsigned perm_ = 0755, std::string symlink_ = {}, std::string hardlink_ = {})
        : name(std::move(name_)), contents(std::move(contents_)), type(type_), perm(perm_),
          symlink(std::move(symlink_)), hardlink(std::move(hardlink_)) {}
    std::string name;
    std::string contents;
    unsigned type;
    unsigned perm;
    std::string symlink;
    std::string hardlink;
};

void writeArchive(const fs::path& path, const std::vector<Entry>& entries) {
    archive* writer = archive_write_new();
    archive_write_add_filter_gzip(writer);
    archive_write_set_format_pax_restricted(writer);
    ASSERT_EQ(archive_write_open_filename(writer, path.c_str()), ARCHIVE_OK);
    for (const Entry& item : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, item.name.c_str());
        archive_entry_set_filetype(entry, item.type);
        archive_entry_set_perm(entry, item.perm);
        archive_entry_set_size(entry, static_cast<la_int64_t>(item.contents.size()));
        if (!item.symlink.empty()) {
            archive_entry_set_symlink(entry, item.symlink.c_str());
        }
        if (!item.hardlink.empty()) {
            archive_entry_set_hardlink(entry, item.hardlink.c_str());
        }
        archive_write_header(writer, entry);
        archive_write_data(writer, item.contents.data(), item.contents.size());
        archive_entry_free(entry);
    }
    archive_write_close(writer);
    archive_write_free(writer);
}

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
    const std::vector<std::pair<std::vector<Entry>, std::string>> cases = {
        {{good, {"../escaped", "x"}}, "unsafe entry: ../escaped."},
        {{good, {outside, "x"}}, "unsafe entry: " + outside + "."},
        {{good, {"bin/outside", "", AE_IFLNK, 0777, "../../../.."}}, "unsafe entry: bin/outside."},
        {{good, {"bin/passwd", "", AE_IFREG, 0644, "", "/etc/passwd"}},
         "unsafe entry: bin/passwd."},
        {{good, {"console", "", AE_IFCHR}}, "unsafe entry: console."},
        {{{"README.md", "read me"}}, "doesn't contain the program."},
        {{{"bin/cadrelle", kProgram, AE_IFREG, 0644}}, "doesn't contain the program."},
        {{good, {"share/noise", noise}}, "is damaged."},
        {{good, {"share/big", std::string(2 << 20, 'x')}}, "too large when unpacked."},
    };
    UserInstallation installation(program, user, 1 << 20);
    ASSERT_TRUE(installation.canInstall());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const fs::path archive = temp / ("case-" + std::to_string(i) + ".tar.gz");
        writeArchive(archive, cases[i].first);
        if (cases[i].second == "is damaged.") {
            fs::resize_file(archive, fs::file_size(archive) / 2);
        }
        const std::string message = messageOf([&] { installation.stage(archive, "0.2.0"); });
        EXPECT_TRUE(message.ends_with(cases[i].second)) << i << ": " << message;
        EXPECT_EQ(entriesOf(versions), (Names{"0.1.0", "current"})) << i;
    }
    EXPECT_FALSE(fs::exists(temp / "absolute"));

    const fs::path goodArchive = temp / "good.tar.gz";
    writeArchive(goodArchive, {good});
    EXPECT_EQ(messageOf([&] { installation.stage(goodArchive, "../0.2.0"); }),
              "The update was refused because its version number isn't valid.");
    EXPECT_EQ(messageOf([&] { installation.stage(goodArchive, "0.1.0"); }),
              "Version 0.1.0 is the one running, so it can't be replaced.");
    EXPECT_EQ(messageOf([&] { installation.activate("0.3.0"); }),
              "Version 0.3.0 can't be used because it hasn't been unpacked.");
    EXPECT_EQ(entriesOf(versions), (Names{"0.1.0", "current"}));
    EXPECT_EQ(readText(program), "#!/bin/sh\necho old\n");
}

TEST_F(UserInstallationTest, CanInstallOnlyFromTheUsersVersionedFolder) {
    EXPECT_TRUE(UserInstallation(program, user).canInstall());
    // Installed for everyone: the folder belongs to someone else, or the
    // program runs as root.
    EXPECT_FALSE(UserInstallation(program, user + 1).canInstall());
    EXPECT_FALSE(UserInstallation(program, 0).canInstall());
    // Not a versioned folder: a program copied straight into bin.
    const fs::path plain = temp / "plain/bin/cadrelle";
    fs::create_directories(plain.parent_path());
    fs::copy_file(program, plain);
    UserInstallation unversioned(plain, user);
    EXPECT_FALSE(unversioned.canInstall());
    EXPECT_EQ(unversioned.currentExecutable(), plain);
    const fs::path archive = temp / "good.tar.gz";
    writeArchive(archive, {{"bin/cadrelle", kProgram}});
    EXPECT_EQ(messageOf([&] { unversioned.stage(archive, "0.2.0"); }),
              "Cadrelle can't update itself because it isn't installed in a folder that belongs "
              "to you.");
    // Read-only for its owner.
    fs::permissions(versions, fs::perms(0555));
    EXPECT_FALSE(UserInstallation(program, user).canInstall());
    fs::permissions(versions, fs::perms(0755));
    // Not the version in use.
    fs::remove(versions / "current");
    fs::create_symlink("0.0.9", versions / "current");
    EXPECT_FALSE(UserInstallation(program, user).canInstall());
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
    // An older version and the remains of an interrupted update.
    fs::create_directories(versions / "0.0.9/bin");
    fs::create_directories(versions / ".staging-abc123");
    const uid_t user = ::geteuid() == 0 ? 4242 : ::geteuid();
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(versions.c_str(), user, static_cast<gid_t>(-1)), 0);
    }

    UserInstallation installation(versions / "0.1.0/bin/cadrelle", user);
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
