#include "ModelFixture.h"

#include "model/SetupFolders.h"
#include "support/Messages.h"

namespace cadrelle::test {
namespace {

using FolderSetup = ModelFixture;

std::size_t journalCount(const std::filesystem::path& data) {
    return entriesOf(data / "Journals").size();
}

TEST_F(FolderSetup, ChoosingFoldersStoresThemAndRestartsWatchingOnlyAfterSetup) {
    const auto model = makeModel();
    panels->answers.push_back({input});
    model->folderSetup().chooseFolder(true);
    ASSERT_EQ(panels->shown.size(), 1u);
    EXPECT_EQ(panels->shown[0].title, "Choose the folder where Glimmerbox or your screenshot app "
                                      "saves original screenshots and recordings.");
    EXPECT_EQ(panels->shown[0].button, "Choose Folder");
    EXPECT_FALSE(panels->shown[0].allowNewFolders);
    EXPECT_EQ(model->preferences().inputPath, input.string());
    EXPECT_TRUE(model->folderSetup().canCompleteSetup());
    EXPECT_FALSE(model->isWatching()) << "setup is not complete yet";

    model->folderSetup().selectFolder(output, false);
    model->folderSetup().completeSetup();
    EXPECT_TRUE(model->isWatching());
    EXPECT_EQ(journalCount(data), 1u);

    std::filesystem::create_directories(dir / "other");
    panels->answers.push_back({dir / "other"});
    model->folderSetup().chooseFolder(false);
    EXPECT_EQ(panels->shown[1].title, "Choose where Cadrelle saves framed captures.");
    EXPECT_TRUE(panels->shown[1].allowNewFolders);
    EXPECT_TRUE(model->isWatching());
    EXPECT_EQ(journalCount(data), 2u) << "the new export folder has its own journal";
}

TEST_F(FolderSetup, CompletingSetupChecksBothFoldersWithTheirMessages) {
    const auto model = makeModel();
    model->folderSetup().completeSetup();
    EXPECT_EQ(model->errorMessage(),
              "Choose the folder where your original screenshots are saved.");

    model->folderSetup().selectFolder(dir / "missing-captures", true);
    model->folderSetup().selectFolder(output, false);
    model->folderSetup().completeSetup();
    EXPECT_EQ(model->errorMessage()->rfind("Can't read your screenshot folder. Choose it again and "
                                           "allow folder access. ",
                                           0),
              0u);

    model->folderSetup().selectFolder(input, true);
    std::filesystem::remove_all(output);
    model->folderSetup().completeSetup();
    EXPECT_EQ(model->errorMessage(), "Can't save to your export folder. Choose another folder or "
                                     "allow folder access. The export folder no longer exists.");
    EXPECT_FALSE(model->preferences().completedSetup);

    std::filesystem::create_directories(output);
    model->folderSetup().completeSetup();
    EXPECT_FALSE(model->errorMessage().has_value());
    EXPECT_TRUE(model->preferences().completedSetup);
    EXPECT_TRUE(entriesOf(output).empty()) << "the probe file never stays";
}

TEST_F(FolderSetup, AFolderThatVanishedKeepsItsStoredPathAndBookmark) {
    std::filesystem::create_directories(dir / "gone");
    makeModel()->folderSetup().selectFolder(dir / "gone", true);
    std::filesystem::remove_all(dir / "gone");
    const auto model = makeModel();
    EXPECT_EQ(model->preferences().inputPath, (dir / "gone").string());
    EXPECT_EQ(model->preferences().inputBookmark, folderBookmark(dir / "gone"));
    EXPECT_EQ(resolveFolderBookmark(folderBookmark(input)), input);
    EXPECT_FALSE(resolveFolderBookmark({}).has_value());
}

TEST_F(FolderSetup, TheLoginItemThatStaysDisabledAsksForPermission) {
    const auto model = makeModel();
    model->setLaunchAtLogin(true);
    EXPECT_TRUE(model->launchAtLogin());
    model->setLaunchAtLogin(false);
    EXPECT_FALSE(model->launchAtLogin());
    loginItem->staysDisabled = true;
    model->setLaunchAtLogin(true);
    EXPECT_FALSE(model->launchAtLogin());
    EXPECT_EQ(model->errorMessage(),
              "Allow Cadrelle in your desktop\u2019s startup applications settings.");
}

} // namespace
} // namespace cadrelle::test
