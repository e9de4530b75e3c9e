#include "core/AppError.h"
#include "desktop/AutostartEntry.h"
#include "desktop/FreedesktopTrash.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace cadrelle {
namespace {

using test::readText;
using test::TempDir;
using test::writeText;

TEST(AutostartEntry, WritesAnEntryThatStartsTheProgramInTheBackground) {
    TempDir dir;
    AutostartEntry entry(dir / "config", "/opt/My Apps/cadrelle");
    EXPECT_FALSE(entry.isEnabled());
    entry.setEnabled(true);
    EXPECT_TRUE(entry.isEnabled());
    const std::string text = readText(dir / "config" / "autostart" / "cadrelle.desktop");
    EXPECT_EQ(text.rfind("[Desktop Entry]\nType=Application\n", 0), 0u);
    EXPECT_NE(text.find("\nExec=\"/opt/My Apps/cadrelle\" app --background\n"), std::string::npos);

    // The desktop's own settings can switch the entry off without removing it.
    writeText(entry.file(), "[Desktop Entry]\nType=Application\nHidden=true\n");
    EXPECT_FALSE(entry.isEnabled());
    writeText(entry.file(), "[Desktop Entry]\nX-GNOME-Autostart-enabled = false\n");
    EXPECT_FALSE(entry.isEnabled());
    writeText(entry.file(), "[Other]\nHidden=true\n[Desktop Entry]\nType=Application\n");
    EXPECT_TRUE(entry.isEnabled());

    entry.setEnabled(false);
    EXPECT_FALSE(std::filesystem::exists(entry.file()));
    EXPECT_NO_THROW(entry.setEnabled(false)) << "already gone is fine";
}

TEST(AutostartEntry, AnEntryIntoAVersionFolderIsMadeToStartTheLauncher) {
    TempDir dir;
    const std::filesystem::path versions = dir / "home/.local/lib/cadrelle";
    const std::filesystem::path launcher = dir / "home/.local/bin/cadrelle";
    AutostartEntry entry(dir / "config", launcher);
    EXPECT_NO_THROW(entry.followInstallation(versions)) << "no entry: nothing to do";
    EXPECT_FALSE(std::filesystem::exists(entry.file()));
    std::filesystem::create_directories(entry.file().parent_path());

    // Written by an earlier version with the program inside its version
    // folder, which a second update removes; switched off in the desktop's
    // settings meanwhile.
    const std::string old = "[Desktop Entry]\nType=Application\nName=Cadrelle\nExec=\"" +
                            (versions / "0.1.0/bin/cadrelle").string() +
                            "\" app --background\nHidden=true\nX-Custom=kept\n";
    writeText(entry.file(), old);
    entry.followInstallation(versions);
    EXPECT_EQ(readText(entry.file()), "[Desktop Entry]\nType=Application\nName=Cadrelle\nExec=\"" +
                                          launcher.string() +
                                          "\" app --background\nHidden=true\nX-Custom=kept\n");
    EXPECT_FALSE(entry.isEnabled()) << "still switched off";

    // Entries that start something else are the user's business.
    for (const std::string& exec : {std::string("/usr/bin/cadrelle app --background"),
                                    "\"" + (versions / "../other/cadrelle").string() + "\" app"}) {
        const std::string text = "[Desktop Entry]\nExec=" + exec + "\n";
        writeText(entry.file(), text);
        entry.followInstallation(versions);
        EXPECT_EQ(readText(entry.file()), text);
    }
    writeText(entry.file(),
              "[Desktop Entry]\nExec=" + (versions / "current/bin/cadrelle").string() +
                  " app --background\n");
    entry.followInstallation(versions);
    EXPECT_EQ(readText(entry.file()),
              "[Desktop Entry]\nExec=\"" + launcher.string() + "\" app --background\n");
}

TEST(FreedesktopTrash, MovesItemsToTheUsersTrashAndReportsWhatCannotMove) {
    TempDir dir;
    ::setenv("XDG_DATA_HOME", (dir / "share").c_str(), 1);
    std::filesystem::create_directories(dir / "share");
    std::filesystem::create_directories(dir / "item");
    writeText(dir / "item" / "framed.png", "png");
    FreedesktopTrash trash;
    trash.moveToTrash(dir / "item", "framed.png");
    EXPECT_FALSE(std::filesystem::exists(dir / "item"));
    EXPECT_TRUE(std::filesystem::exists(dir / "share" / "Trash" / "files" / "item" / "framed.png"));
    EXPECT_TRUE(std::filesystem::exists(dir / "share" / "Trash" / "info" / "item.trashinfo"));
    EXPECT_EQ(test::messageOf([&] { trash.moveToTrash(dir / "missing", "Screenshot.png"); }),
              "Couldn't move Screenshot.png to the Trash.");

    // A file where the trash belongs: the item stays where it is, and nothing
    // lands in the current folder either.
    TempDir elsewhere;
    ::setenv("XDG_DATA_HOME", (elsewhere / "share").c_str(), 1);
    std::filesystem::create_directories(elsewhere / "share");
    writeText(elsewhere / "share" / "Trash", "not a folder");
    std::filesystem::create_directories(dir / "second");
    writeText(dir / "second" / "framed.png", "png");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    const std::string message =
        test::messageOf([&] { trash.moveToTrash(dir / "second", "Simulator Screenshot.png"); });
    std::filesystem::current_path(previous);
    EXPECT_EQ(message, "Couldn't move Simulator Screenshot.png to the Trash.");
    EXPECT_TRUE(std::filesystem::exists(dir / "second" / "framed.png"));
    EXPECT_EQ(elsewhere.entries(), std::vector<std::string>{"share"});
    ::unsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace cadrelle
