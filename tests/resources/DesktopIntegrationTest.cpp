#include "desktop/AutostartEntry.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;

struct Finished {
    int status = -1;
    std::string output;
};

Finished run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit) {
        return {};
    }
    return {process.exitCode(), process.readAll().toStdString()};
}

// Width and height from a PNG's header chunk.
std::pair<int, int> pngSize(const fs::path& path) {
    const std::string bytes = test::readText(path).substr(0, 24);
    if (bytes.size() < 24 || bytes.compare(12, 4, "IHDR") != 0) {
        return {0, 0};
    }
    const auto number = [&](std::size_t at) {
        int value = 0;
        for (std::size_t i = at; i < at + 4; ++i) {
            value = value * 256 + static_cast<unsigned char>(bytes[i]);
        }
        return value;
    };
    return {number(16), number(20)};
}

QString text(const fs::path& path) {
    return QString::fromStdString(path.string());
}

TEST(DesktopIntegration, BothDesktopEntriesPassTheValidator) {
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    const fs::path menuEntry = fs::path(CADRELLE_SOURCE_DIR) / "resources" / "cadrelle.desktop";
    Finished result = run(validator, {text(menuEntry)});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output, "") << "no errors, warnings or hints";

    test::TempDir dir;
    AutostartEntry autostart(dir / "config", "/opt/My Apps/cadrelle");
    autostart.setEnabled(true);
    result = run(validator, {text(autostart.file())});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output, "");
}

TEST(DesktopIntegration, InstallPutsTheEntryAndTheIconsWhereDesktopsLook) {
    test::TempDir prefix;
    const Finished result = run(QStringLiteral("cmake"),
                                {QStringLiteral("--install"), QStringLiteral(CADRELLE_BUILD_DIR),
                                 QStringLiteral("--component"), QStringLiteral("desktop"),
                                 QStringLiteral("--prefix"), text(prefix.path())});
    ASSERT_EQ(result.status, 0) << result.output;
    const fs::path share = prefix / "share";
    EXPECT_TRUE(fs::is_regular_file(share / "applications" / "cadrelle.desktop"));
    EXPECT_TRUE(fs::is_regular_file(share / "icons/hicolor/scalable/apps/cadrelle.svg"));
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        EXPECT_EQ(pngSize(share / "icons/hicolor" / name / "apps/cadrelle.png"),
                  std::make_pair(size, size))
            << name;
    }
}

} // namespace
} // namespace cadrelle
