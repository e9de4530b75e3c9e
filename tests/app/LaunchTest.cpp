#include "TestApplication.h"
#include "app/AppArguments.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;

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
