#include "core/Installation.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const fs::path kReadme = "share/doc/cadrelle/README.md";

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    test::writeText(path, text);
}

TEST(Installation, DescribesInstalledUnpackedAndBuiltProgramsAlike) {
    TempDir dir;
    // Installed for one user: the launcher in PREFIX/bin reaches the version
    // folder through the `current` link.
    const fs::path prefix = dir / "home/.local";
    const fs::path versionFolder = prefix / "lib/cadrelle/0.2.0";
    writeText(versionFolder / "bin/cadrelle", "");
    writeText(versionFolder / kReadme, "read me");
    fs::create_directories(prefix / "bin");
    fs::create_symlink("0.2.0", prefix / "lib/cadrelle/current");
    fs::create_symlink("../lib/cadrelle/current/bin/cadrelle", prefix / "bin/cadrelle");
    const Installation installed = Installation::of(versionFolder / "bin/cadrelle", "9.9.9");
    EXPECT_TRUE(installed.isVersioned());
    EXPECT_EQ(installed.prefix, prefix);
    EXPECT_EQ(installed.versions, prefix / "lib/cadrelle");
    EXPECT_EQ(installed.version, "0.2.0") << "the folder's version is the one that runs";
    EXPECT_EQ(installed.launcher, prefix / "bin/cadrelle");
    EXPECT_EQ(installed.file(kReadme), versionFolder / kReadme);
    EXPECT_EQ(installed.file("lib/cadrelle/libcadrelle-app.so"),
              versionFolder / "lib/cadrelle/libcadrelle-app.so");

    // The Debian package unpacked anywhere, without its launcher: the
    // program starts itself.
    const fs::path unpacked = dir / "root/usr/lib/cadrelle/0.1.0/bin/cadrelle";
    writeText(unpacked, "");
    const Installation package = Installation::of(unpacked, "0.1.0");
    EXPECT_EQ(package.prefix, dir / "root/usr");
    EXPECT_EQ(package.launcher, unpacked);
    EXPECT_EQ(package.file(kReadme), dir / "root/usr/lib/cadrelle/0.1.0" / kReadme);

    // The build folder keeps the program's files beside the program.
    const fs::path built = dir / "build/cadrelle";
    writeText(built, "");
    writeText(dir / "build" / kReadme, "read me");
    const Installation build = Installation::of(built, "0.1.0");
    EXPECT_FALSE(build.isVersioned());
    EXPECT_EQ(build.version, "0.1.0");
    EXPECT_EQ(build.launcher, built);
    EXPECT_EQ(build.file(kReadme), dir / "build" / kReadme);
    // Copied into a plain bin folder: share/ beside bin/, also when missing.
    EXPECT_EQ(Installation::of(dir / "opt/bin/cadrelle").file(kReadme), dir / "opt" / kReadme);
    // Not a version folder: "current", or a name no version has.
    EXPECT_FALSE(Installation::of(prefix / "lib/cadrelle/current/bin/cadrelle").isVersioned());
    EXPECT_FALSE(Installation::of(prefix / "lib/cadrelle/.staging-x/bin/cadrelle").isVersioned());
}

} // namespace
} // namespace cadrelle
