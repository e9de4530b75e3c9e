#include "TestApplication.h"
#include "app/InstanceForwarder.h"
#include "app/InstanceLock.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;

// The built program, with its own home and data folders and the runtime
// folder of this test process (where the hand-over socket lives).
class CadrelleApp {
public:
    explicit CadrelleApp(const fs::path& home) {
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("HOME"), text(home));
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), text(home / "config"));
        environment_.insert(QStringLiteral("XDG_DATA_HOME"), text(home / "share"));
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                            QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    std::unique_ptr<QProcess> start(const QStringList& arguments) const {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment_);
        process->start(QStringLiteral(CADRELLE_EXECUTABLE), arguments);
        return process;
    }

    // Runs to the end; the exit status, or -1 when it crashed or hung.
    int run(const QStringList& arguments, QByteArray* errors = nullptr) const {
        auto process = start(arguments);
        const bool ended = process->waitForFinished(30'000);
        if (errors != nullptr) {
            *errors = process->readAllStandardError();
        }
        return ended && process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    }

private:
    static QString text(const fs::path& path) { return QString::fromStdString(path.string()); }

    QProcessEnvironment environment_;
};

TEST(CadrelleAppProcess, OneCopyRunsLaterLaunchesHandOverAndSigtermEndsIt) {
    test::ensureApplication();
    test::TempDir dir;
    const CadrelleApp app(dir.path());
    const fs::path data = dir / "share" / "Lumivane";

    const auto first = app.start({QStringLiteral("app"), QStringLiteral("--background")});
    const QString socket = InstanceForwarder::socketName(data);
    ASSERT_TRUE(test::waitUntil(
        [&] {
            return first->state() == QProcess::NotRunning ||
                   InstanceForwarder::forward(socket, {{}, true});
        },
        std::chrono::seconds(60)))
        << first->readAllStandardError().toStdString();
    ASSERT_EQ(first->state(), QProcess::Running) << first->readAllStandardError().toStdString();

    EXPECT_EQ(app.run({QStringLiteral("app")}), 0);
    EXPECT_EQ(app.run({QStringLiteral("app"), QStringLiteral("shot.png")}), 0);

    ::kill(static_cast<pid_t>(first->processId()), SIGTERM);
    ASSERT_TRUE(first->waitForFinished(30'000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_NO_THROW(const InstanceLock free(data / "instance.lock"));

    QByteArray errors;
    EXPECT_EQ(app.run({QStringLiteral("app"), QStringLiteral("--data-dir")}, &errors), 1);
    EXPECT_EQ(errors, QByteArray("Error: Missing value for --data-dir\n"));
}

} // namespace
} // namespace cadrelle
