// How the watcher treats screenshots that the folder reports as closed by
// their writer or moved in: framed once their quiet time is over, instead of
// after the settling wait, but only when their bytes are a complete PNG.
#include "capture/CaptureWatcher.h"
#include "core/FileIO.h"
#include "core/ReadLimits.h"
#include "support/CaptureTestSupport.h"
#include "support/CoreApplication.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <set>

using namespace std::chrono_literals;

namespace cadrelle {
namespace {

using test::entriesOf;
using test::TempDir;

class FinishedCapturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ensureCoreApplication();
        std::filesystem::create_directories(input);
        test::writeScreenshot(dir / "source.png", 20, 30, 1);
        bytes = readFile(dir / "source.png", kMaxPngFileBytes);
    }

    std::unique_ptr<CaptureWatcher> watcher(bool finishedFileEvents = true) {
        WatchConfiguration config;
        config.input = input;
        config.output = output;
        config.library = frames.library;
        config.assets = frames.assets;
        config.journal = dir / "journal.json";
        config.finishedFileEvents = finishedFileEvents;
        return std::make_unique<CaptureWatcher>(
            std::move(config),
            [this](const CaptureRecord& record) {
                std::lock_guard guard(lock);
                captures.push_back(record);
            },
            [this](const std::string& message) {
                std::lock_guard guard(lock);
                errors.push_back(message);
            },
            [](const std::optional<CaptureProgress>&) {}, CaptureWatcher::ChooseVideoFormat{},
            [elapsed = elapsedMs, start = std::chrono::steady_clock::now()] {
                return start + std::chrono::milliseconds(elapsed->load());
            });
    }

    std::vector<CaptureRecord> capturesNow() {
        std::lock_guard guard(lock);
        return captures;
    }
    std::vector<std::string> errorsNow() {
        std::lock_guard guard(lock);
        return errors;
    }
    // Waits until `count` captures are reported, letting the watcher's clock
    // run 20 ms at every look so that quiet times can end.
    bool waitForCaptures(std::size_t count) {
        return test::waitUntil(
            [&] {
                *elapsedMs += 20;
                std::lock_guard guard(lock);
                return captures.size() >= count;
            },
            30s);
    }
    // The export folder's entries whose names start with a dot.
    std::size_t hiddenOutputs() const {
        std::size_t hidden = 0;
        for (const auto& name : entriesOf(output)) {
            hidden += name.starts_with('.') ? 1 : 0;
        }
        return hidden;
    }

    void scanAfter(CaptureWatcher& watcher, std::chrono::milliseconds by) {
        *elapsedMs += by.count();
        watcher.scanNow();
    }

    // Opens a capture for writing the way a screenshot tool does.
    int create(const std::string& name, int flags = O_CREAT | O_TRUNC) {
        const int descriptor = ::open((input / name).c_str(), O_WRONLY | O_CLOEXEC | flags, 0644);
        EXPECT_GE(descriptor, 0);
        return descriptor;
    }
    void write(int descriptor, std::size_t from, std::size_t to) {
        ASSERT_EQ(::write(descriptor, bytes.data() + from, to - from),
                  static_cast<ssize_t>(to - from));
    }

    TempDir dir;
    std::filesystem::path input = dir / "captures";
    std::filesystem::path output = dir / "export";
    test::TestLibrary frames = test::makeTestLibrary(dir / "lib", {{20, 30}});
    Bytes bytes;
    std::shared_ptr<std::atomic<long long>> elapsedMs = std::make_shared<std::atomic<long long>>(0);
    std::mutex lock;
    std::vector<CaptureRecord> captures;
    std::vector<std::string> errors;
};

TEST_F(FinishedCapturesTest, AScreenshotIsFramedOnceRightAfterItsWriterClosesIt) {
    auto running = watcher();
    const int file = create("Screenshot 1.png");
    const std::size_t third = bytes.size() / 3;
    write(file, 0, third);
    running->scanNow();
    write(file, third, 2 * third);
    scanAfter(*running, 400ms);
    write(file, 2 * third, bytes.size());
    scanAfter(*running, 400ms);
    scanAfter(*running, 400ms);
    EXPECT_TRUE(capturesNow().empty()) << "complete but still open, and not settled";

    ::close(file);
    running->scanNow();
    scanAfter(*running, 99ms);
    EXPECT_TRUE(capturesNow().empty()) << "the quiet time is not over";
    scanAfter(*running, 1ms);
    ASSERT_EQ(capturesNow().size(), 1u);
    EXPECT_EQ(capturesNow()[0].original, (input / "Screenshot 1.png").string());
    EXPECT_TRUE(std::filesystem::exists(capturesNow()[0].output));
    scanAfter(*running, 5s);
    EXPECT_EQ(capturesNow().size(), 1u) << "exactly once";
    EXPECT_EQ(entriesOf(output).size(), 1u);
    EXPECT_TRUE(errorsNow().empty());
}

TEST_F(FinishedCapturesTest, AScreenshotStillOpenOrCutShortWaitsForTheSettlingRule) {
    auto running = watcher();
    // Left open: only the settling rule frames it.
    const int open = create("Screenshot 1.png");
    write(open, 0, bytes.size() / 2);
    running->scanNow();
    write(open, bytes.size() / 2, bytes.size());
    scanAfter(*running, 500ms);
    scanAfter(*running, 999ms);
    EXPECT_TRUE(capturesNow().empty()) << "still open, not settled";
    scanAfter(*running, 1ms);
    ASSERT_EQ(capturesNow().size(), 1u) << "settled";
    ::close(open);
    scanAfter(*running, 200ms);
    EXPECT_EQ(capturesNow().size(), 1u) << "its close does not make it new";

    // Closed when only half written, then completed by a second writer.
    const int half = create("Screenshot 2.png");
    write(half, 0, bytes.size() / 2);
    ::close(half);
    running->scanNow();
    scanAfter(*running, 100ms);
    scanAfter(*running, 800ms);
    EXPECT_EQ(capturesNow().size(), 1u) << "not a complete PNG";
    const int rest = create("Screenshot 2.png", O_APPEND);
    write(rest, bytes.size() / 2, bytes.size());
    ::close(rest);
    running->scanNow();
    scanAfter(*running, 100ms);
    ASSERT_EQ(capturesNow().size(), 2u) << "complete once closed again";
    EXPECT_EQ(capturesNow()[1].original, (input / "Screenshot 2.png").string());
    scanAfter(*running, 2s);
    EXPECT_EQ(capturesNow().size(), 2u);
    EXPECT_TRUE(errorsNow().empty()) << "never tried while incomplete";
}

TEST_F(FinishedCapturesTest, AScreenshotMovedInIsFramedAtOnceAndARewriteIsANewVersion) {
    auto running = watcher();
    test::writeScreenshot(dir / "staged.png", 20, 30, 2);
    std::filesystem::rename(dir / "staged.png", input / "Screenshot 1.png");
    running->scanNow();
    scanAfter(*running, 100ms);
    ASSERT_EQ(capturesNow().size(), 1u);

    // New content under the same name, its time set apart from the first's.
    const auto before = std::filesystem::last_write_time(input / "Screenshot 1.png");
    test::writeScreenshot(dir / "rewritten.png", 20, 30, 3);
    std::filesystem::last_write_time(dir / "rewritten.png", before + 1s);
    std::filesystem::rename(dir / "rewritten.png", input / "Screenshot 1.png");
    running->scanNow();
    scanAfter(*running, 100ms);
    const auto both = capturesNow();
    ASSERT_EQ(both.size(), 2u) << "the rewritten content is a second capture";
    EXPECT_NE(both[1].id, both[0].id);
    EXPECT_NE(both[1].output, both[0].output);
    EXPECT_TRUE(std::filesystem::exists(both[0].output)) << "the first version stays";
    EXPECT_TRUE(std::filesystem::exists(both[1].output));
    scanAfter(*running, 3s);
    EXPECT_EQ(capturesNow().size(), 2u);
}

TEST_F(FinishedCapturesTest, WithoutFolderEventsEveryScreenshotWaitsUntilSettled) {
    auto running = watcher(false);
    test::writeScreenshot(input / "Screenshot 1.png", 20, 30, 2);
    running->scanNow();
    scanAfter(*running, 999ms);
    EXPECT_TRUE(capturesNow().empty());
    scanAfter(*running, 1ms);
    EXPECT_EQ(capturesNow().size(), 1u);
}

// A running watcher takes up a screenshot when its writer closes it, whether
// or not a scan has seen the file yet: a burst of new files, or a framed
// screenshot written again in place (which the folder's listing does not
// show). Each is framed exactly once, and nothing hidden is left.
TEST_F(FinishedCapturesTest, ABurstOfClosedScreenshotsIsFramedOncePerFile) {
    auto running = watcher();
    running->start();
    constexpr int kShots = 7; // more than are framed ahead at once
    for (int n = 1; n <= kShots; ++n) {
        test::writeScreenshot(input / ("Screenshot " + std::to_string(n) + ".png"), 20, 30,
                              static_cast<std::uint32_t>(n));
    }
    ASSERT_TRUE(waitForCaptures(kShots));
    *elapsedMs += 5000;
    running->scanNow();
    running.reset();

    const auto framed = capturesNow();
    EXPECT_EQ(framed.size(), static_cast<std::size_t>(kShots)) << "each exactly once";
    std::set<std::string> originals;
    for (const auto& record : framed) {
        originals.insert(record.original);
        EXPECT_TRUE(std::filesystem::exists(record.output)) << record.output;
    }
    EXPECT_EQ(originals.size(), static_cast<std::size_t>(kShots));
    EXPECT_EQ(entriesOf(output).size(), static_cast<std::size_t>(kShots));
    EXPECT_EQ(hiddenOutputs(), 0u) << "no staged file outlives the watcher";
    EXPECT_TRUE(errorsNow().empty());
}

TEST_F(FinishedCapturesTest, AFramedScreenshotWrittenAgainInPlaceIsANewVersion) {
    auto running = watcher();
    running->start();
    const auto shot = input / "Screenshot 1.png";
    test::writeScreenshot(shot, 20, 30, 1);
    ASSERT_TRUE(waitForCaptures(1));

    // The same file opened, truncated and filled with other pixels, as an
    // editor saving over it does; its time set apart from the first write's.
    test::writeScreenshot(dir / "other.png", 20, 30, 2);
    const auto other = readFile(dir / "other.png", kMaxPngFileBytes);
    const auto before = std::filesystem::last_write_time(shot);
    {
        std::ofstream file(shot, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(other.data()),
                   static_cast<std::streamsize>(other.size()));
    }
    std::filesystem::last_write_time(shot, before + 2s);
    ASSERT_TRUE(waitForCaptures(2));
    *elapsedMs += 5000;
    running->scanNow();
    running.reset();

    const auto both = capturesNow();
    ASSERT_EQ(both.size(), 2u) << "the new content once, the old one never again";
    EXPECT_EQ(both[1].original, shot.string());
    EXPECT_NE(both[1].output, both[0].output);
    EXPECT_TRUE(std::filesystem::exists(both[0].output)) << "the first version stays";
    EXPECT_TRUE(std::filesystem::exists(both[1].output));
    EXPECT_EQ(hiddenOutputs(), 0u);
    EXPECT_TRUE(errorsNow().empty());
}

} // namespace
} // namespace cadrelle
