#include "TestApplication.h"
#include "app/AppArguments.h"
#include "app/InstanceForwarder.h"
#include "app/InstanceLock.h"
#include "core/SerialQueue.h"
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
    fs::create_directories(dir / "data");
    fs::create_directories(dir / "other");
    fs::create_directory_symlink(dir / "data", dir / "link");
    const QString socket = InstanceForwarder::socketName(dir / "data");
    EXPECT_NE(socket, InstanceForwarder::socketName(dir / "other")) << "one socket per data folder";
    EXPECT_EQ(socket, InstanceForwarder::socketName(dir / "data" / ".." / "data"));
    EXPECT_EQ(socket, InstanceForwarder::socketName(dir / "link"))
        << "the folder, not its spelling";
    std::vector<LaunchRequest> received;
    InstanceForwarder running([&](const LaunchRequest& request) { received.push_back(request); });

    // A socket file left by a copy that was killed does not stop the next one.
    test::writeText(socket.toStdString(), "");
    ASSERT_NO_THROW(running.listen(socket));

    // File names travel as the bytes they are, UTF-8 or not.
    const std::string odd = "Simulator Screenshot \xff\xfe.png";
    const AppArguments launch = AppArguments::parse(
        {"app", "b.png", "--background", "/captures/a.mp4", "sub/" + odd}, "/home/me");
    EXPECT_TRUE(InstanceForwarder::forward(socket, {launch.files, launch.background}));
    EXPECT_TRUE(InstanceForwarder::forward(socket, {}));
    ASSERT_TRUE(test::waitUntil([&] { return received.size() == 2; }));
    EXPECT_EQ(received[0].files,
              (std::vector<fs::path>{"/home/me/b.png", "/captures/a.mp4", "/home/me/sub/" + odd}));
    EXPECT_TRUE(received[0].background);
    EXPECT_TRUE(received[1].files.empty());
    EXPECT_FALSE(received[1].background);

    // Something that is not a request is dropped without an answer; the
    // running copy keeps listening.
    for (const QByteArray& junk : {QByteArray("hello\n"), QByteArray(R"({"paths":["%%"]})"
                                                                     "\n")}) {
        QLocalSocket stranger;
        stranger.connectToServer(socket);
        ASSERT_TRUE(stranger.waitForConnected(2000));
        stranger.write(junk);
        EXPECT_TRUE(
            test::waitUntil([&] { return stranger.state() == QLocalSocket::UnconnectedState; }));
        EXPECT_EQ(stranger.readAll(), QByteArray());
    }
    EXPECT_TRUE(InstanceForwarder::forward(socket, {{"/x.png"}, false}));
    ASSERT_TRUE(test::waitUntil([&] { return received.size() == 3; }));

    running.close();
    EXPECT_FALSE(fs::exists(socket.toStdString())) << "the socket goes with the running copy";
    EXPECT_FALSE(InstanceForwarder::forward(socket, {}, std::chrono::milliseconds(300)))
        << "nobody listens any more";

    // A copy that is still starting holds its lock before it listens: the
    // request waits for it instead of failing.
    QTimer::singleShot(200, [&] { running.listen(socket); });
    EXPECT_TRUE(InstanceForwarder::forward(socket, {{"/late.png"}, false}));
    ASSERT_TRUE(test::waitUntil([&] { return received.size() == 4; }));
    EXPECT_EQ(received[3].files, std::vector<fs::path>{"/late.png"});
}

TEST(InstanceForwarder, ABusyRunningCopyAnswersAtOnceAndHandlesRequestsInOrderLater) {
    test::ensureApplication();
    TempDir dir;
    fs::create_directories(dir / "data");
    const QString socket = InstanceForwarder::socketName(dir / "data");
    std::vector<fs::path> received;
    InstanceForwarder running([&](const LaunchRequest& request) {
        received.insert(received.end(), request.files.begin(), request.files.end());
    });
    running.listen(socket);

    // Later launches run elsewhere while this main thread is held, as it is
    // while the running copy starts or works: each still gets its answer.
    SerialQueue launches("launches");
    std::vector<bool> answered;
    launches.sync([&] {
        for (const char* name : {"/1.png", "/2.png", "/3.png"}) {
            answered.push_back(
                InstanceForwarder::forward(socket, {{name}, false}, std::chrono::seconds(30)));
        }
    });
    EXPECT_EQ(answered, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(received.empty()) << "requests wait for the main thread";
    ASSERT_TRUE(test::waitUntil([&] { return received.size() == 3; }));
    EXPECT_EQ(received, (std::vector<fs::path>{"/1.png", "/2.png", "/3.png"}));
}

TEST(InstanceForwarder, ASocketThatCantBeMadeIsReported) {
    test::ensureApplication();
    TempDir dir;
    fs::create_directories(dir / "data");
    const QString socket = InstanceForwarder::socketName(dir / "data");
    fs::create_directories(socket.toStdString());
    InstanceForwarder running([](const LaunchRequest&) {});
    EXPECT_EQ(messageOf([&] { running.listen(socket); }),
              socket.toStdString() + ": Address already in use");
    EXPECT_TRUE(fs::is_directory(socket.toStdString())) << "what was there is left alone";
    fs::remove(socket.toStdString());
}

} // namespace
} // namespace cadrelle
