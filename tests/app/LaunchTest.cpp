#include "TestApplication.h"
#include "app/AppArguments.h"
#include "app/LaunchBehavior.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;

TEST(LaunchBehavior, OnlyASilentStartAfterSetupKeepsTheSettingsClosed) {
    struct Case {
        std::optional<LaunchEvent> event;
        bool background;
        bool completedSetup;
        bool opens;
    };
    const LaunchEvent login{"oapp", "lgit"};
    const LaunchEvent service{"oapp", "svit"};
    const std::vector<Case> cases{
        {std::nullopt, false, false, true},
        {std::nullopt, true, false, true}, // setup first, whatever was asked
        {login, false, false, true},
        {std::nullopt, true, true, false},
        {std::nullopt, false, true, true},
        {login, false, true, false},
        {service, false, true, false},
        {LaunchEvent{"oapp", std::nullopt}, false, true, true},
        {LaunchEvent{"odoc", "lgit"}, false, true, true},
        {LaunchEvent{"oapp", std::nullopt}, true, true, false},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(LaunchBehavior::shouldOpenSettings(c.event, c.background, c.completedSetup),
                  c.opens)
            << "case " << i;
    }
}

TEST(AppArguments, BackgroundFilesAndTheDevelopmentDataFolder) {
    test::ensureApplication();
    const fs::path here = "/work/here";
    const AppArguments none = AppArguments::parse({}, here);
    EXPECT_FALSE(none.background);
    EXPECT_TRUE(none.files.empty());
    EXPECT_EQ(none.dataFolder(), test::testHome() / ".local" / "share" / "Lumivane");
    EXPECT_EQ(AppArguments::parse({"app"}, here).dataFolder(), none.dataFolder());

    const AppArguments all = AppArguments::parse(
        {"app", "shot.png", "--data-dir", "dev", "--background", "/rec.mp4", "--other"}, here);
    EXPECT_TRUE(all.background);
    EXPECT_EQ(all.files, (std::vector<fs::path>{here / "shot.png", "/rec.mp4", here / "--other"}));
    EXPECT_EQ(all.dataFolder(), here / "dev");
}

} // namespace
} // namespace cadrelle
