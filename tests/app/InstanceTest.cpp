#include "TestApplication.h"
#include "app/AppArguments.h"
#include "app/InstanceForwarder.h"
#include "app/InstanceLock.h"
#include "support/Messages.h"
#include "support/TempDir.h"

#include <QLocalSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cadrelle {
namespace {

using test::messageOf;
using test::TempDir;
namespace fs = std::filesystem;

const char* const kAlreadyRunning =
    "Cadrelle is already running. Open it from your applications menu or its tray icon.";

TEST(InstanceLock, OneHolderAtATimeAndTheFileStays) {
    TempDir dir;
    const fs::path file = dir / "data" / "Lumivane" / "instance.lock";
    {
        const InstanceLock first(file);
        struct stat status {};
        ASSERT_EQ(::stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u);

        // Another descriptor, in this process or any other, is refused.
        EXPECT_EQ(messageOf([&] { const InstanceLock second(file); }), kAlreadyRunning);
        const int other = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(other, 0);
        EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
        ::close(other);
    }
    EXPECT_TRUE(fs::exists(file)) << "the lock file is never removed";
    EXPECT_NO_THROW(const InstanceLock again(file));

    // A data folder that can't be made is reported as such, not as a running copy.
    test::writeText(dir / "taken", "a file where the folder should be");
    EXPECT_EQ(messageOf([&] { const InstanceLock blocked(dir / "taken" / "instance.lock"); }),
              (dir / "taken").string() + ": Not a directory");
}

TEST(InstanceForwarder, HandsALaunchRequestToTheRunningCopy) {
    test::ensureApplication();
    TempDir dir;
    const QString socket = InstanceForwarder::socketName(dir / "data");
    EXPECT_NE(socket, InstanceForwarder::socketName(dir / "other")) << "one socket per data folder";
    std::vector<LaunchRequest> received;
    InstanceForwarder running([&](const LaunchRequest& request) { received.push_back(request); });

    // A socket file left by a copy that was killed does not stop the next one.
    test::writeText(socket.toStdString(), "");
    ASSERT_TRUE(running.listen(socket));

    const AppArguments launch = AppArguments::parse(
        {"app", "b.png", "--background", "/captures/a.mp4", "sub/c.png"}, "/home/me");
    EXPECT_TRUE(InstanceForwarder::forward(socket, {launch.files, launch.background}));
    EXPECT_TRUE(InstanceForwarder::forward(socket, {}));
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].files,
              (std::vector<fs::path>{"/home/me/b.png", "/captures/a.mp4", "/home/me/sub/c.png"}));
    EXPECT_TRUE(received[0].background);
    EXPECT_TRUE(received[1].files.empty());
    EXPECT_FALSE(received[1].background);

    // Something that is not a request is dropped without an answer; the
    // running copy keeps listening.
    QLocalSocket stranger;
    stranger.connectToServer(socket);
    ASSERT_TRUE(stranger.waitForConnected(2000));
    stranger.write("hello\n");
    EXPECT_TRUE(
        test::waitUntil([&] { return stranger.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(stranger.readAll(), QByteArray());
    EXPECT_TRUE(InstanceForwarder::forward(socket, {{"/x.png"}, false}));
    EXPECT_EQ(received.size(), 3u);

    running.close();
    EXPECT_FALSE(InstanceForwarder::forward(socket, {}, std::chrono::milliseconds(300)))
        << "nobody listens any more";

    // A copy that is still starting holds its lock before it listens: the
    // request waits for it instead of failing.
    QTimer::singleShot(200, [&] { running.listen(socket); });
    EXPECT_TRUE(InstanceForwarder::forward(socket, {{"/late.png"}, false}));
    EXPECT_EQ(received.size(), 4u);
}

} // namespace
} // namespace cadrelle
