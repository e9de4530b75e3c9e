#include "TestApplication.h"
#include "app/InstanceForwarder.h"
#include "app/InstanceLock.h"
#include "support/RunCadrelle.h"
#include "support/TempDir.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;

// The built program, with its own home and data folders and the runtime
// folder of this test process (where the hand-over socket lives).
std::unique_ptr<QProcess> startApp(const fs::path& home,
                                   const std::vector<std::string>& arguments) {
    return test::startCadrelle(
        arguments, home,
        {{"HOME", home.string()},
         {"XDG_CONFIG_HOME", (home / "config").string()},
         {"XDG_DATA_HOME", (home / "share").string()},
         {"XDG_RUNTIME_DIR",
          QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString()},
         {"QT_QPA_PLATFORM", "offscreen"}});
}

TEST(CadrelleAppProcess, OneCopyRunsLaterLaunchesHandOverAndSigtermEndsIt) {
    test::ensureApplication();
    test::TempDir dir;
    const fs::path data = dir / "share" / "Lumivane";

    const auto first = startApp(dir.path(), {"app", "--background"});
    const QString socket = InstanceForwarder::socketName(data);
    ASSERT_TRUE(test::waitUntil(
        [&] {
            return first->state() == QProcess::NotRunning ||
                   InstanceForwarder::forward(socket, {{}, true});
        },
        std::chrono::seconds(60)))
        << first->readAllStandardError().toStdString();
    ASSERT_EQ(first->state(), QProcess::Running) << first->readAllStandardError().toStdString();

    EXPECT_EQ(test::finishCadrelle(*startApp(dir.path(), {"app"})).status, 0);
    EXPECT_EQ(test::finishCadrelle(*startApp(dir.path(), {"app", "shot.png"})).status, 0);

    const test::Outcome ended = test::stopCadrelle(*first);
    EXPECT_EQ(ended.status, 0);
    EXPECT_NO_THROW(const InstanceLock free(data / "instance.lock"));

    test::expectFailure(test::finishCadrelle(*startApp(dir.path(), {"app", "--data-dir"})),
                        "Missing value for --data-dir");
}

} // namespace
} // namespace cadrelle
