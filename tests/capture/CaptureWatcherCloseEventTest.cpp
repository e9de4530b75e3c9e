// A running watcher takes up a screenshot when its writer closes it, whether
// or not a scan has seen the file yet: a new file, a burst of them, or a
// framed screenshot written again in place (which the folder's listing does
// not show). Each is framed exactly once, and nothing hidden is left.
#include "capture/CaptureWatcher.h"
#include "core/FileIO.h"
#include "core/ReadLimits.h"
#include "support/CaptureTestSupport.h"
#include "support/CoreApplication.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <set>

using namespace std::chrono_literals;

namespace cadrelle {
namespace {

using test::entriesOf;
using test::TempDir;

class CaptureWatcherCloseEventTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ensureCoreApplication();
        std::filesystem::create_directories(input);
    }

    std::unique_ptr<CaptureWatcher> startedWatcher() {
        WatchConfiguration config;
        config.input = input;
        config.output = output;
        config.library = frames.library;
        config.assets = frames.assets;
        config.journal = dir / "journal.json";
        auto watcher = std::make_unique<CaptureWatcher>(
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
        watcher->start();
        return watcher;
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
    std::vector<CaptureRecord> capturesNow() {
        std::lock_guard guard(lock);
        return captures;
    }
    std::vector<std::string> errorsNow() {
        std::lock_guard guard(lock);
        return errors;
    }
    // The export folder's entries whose names start with a dot.
    std::size_t hiddenOutputs() const {
        std::size_t hidden = 0;
        for (const auto& name : entriesOf(output)) {
            hidden += name.starts_with('.') ? 1 : 0;
        }
        return hidden;
    }

    TempDir dir;
    std::filesystem::path input = dir / "captures";
    std::filesystem::path output = dir / "export";
    test::TestLibrary frames = test::makeTestLibrary(dir / "lib", {{20, 30}});
    std::shared_ptr<std::atomic<long long>> elapsedMs = std::make_shared<std::atomic<long long>>(0);
    std::mutex lock;
    std::vector<CaptureRecord> captures;
    std::vector<std::string> errors;
};

TEST_F(CaptureWatcherCloseEventTest, ABurstOfClosedScreenshotsIsFramedOncePerFile) {
    auto running = startedWatcher();
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

TEST_F(CaptureWatcherCloseEventTest, AFramedScreenshotWrittenAgainInPlaceIsANewVersion) {
    auto running = startedWatcher();
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
