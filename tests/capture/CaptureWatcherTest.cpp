#include "capture/CaptureWatcher.h"
#include "capture/CaptureCandidates.h"
#include "capture/CaptureJournal.h"
#include "capture/CaptureNaming.h"
#include "capture/ScreenshotInbox.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "core/ReadLimits.h"
#include "frames/Compositor.h"
#include "frames/LoadedFrame.h"
#include "support/CaptureTestSupport.h"
#include "support/CoreApplication.h"
#include "support/Messages.h"
#include "support/Mp4Maker.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <mutex>

using namespace std::chrono_literals;

namespace cadrelle {
namespace {

using test::entriesOf;
using test::TempDir;

using test::messageOf;

// What a watcher reported, collected from its queue.
struct Reports {
    std::mutex lock;
    std::vector<CaptureRecord> captures;
    std::vector<std::string> errors;
    std::vector<std::string> progress;
    // Runs on the watcher's queue each time processing of a capture ends,
    // before the watcher checks the capture once more.
    std::function<void()> afterProcessing;
    // Runs on the watcher's queue when processing of a settled capture starts.
    std::function<void()> whenPreparing;

    std::vector<CaptureRecord> capturesNow() {
        std::lock_guard guard(lock);
        return captures;
    }
    std::vector<std::string> errorsNow() {
        std::lock_guard guard(lock);
        return errors;
    }
    long preparing() {
        std::lock_guard guard(lock);
        return std::ranges::count_if(
            progress, [](const std::string& text) { return text.starts_with("Preparing "); });
    }
};

class CaptureWatcherTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureCoreApplication(); }

    TempDir dir;
    std::filesystem::path input = dir / "captures";
    std::filesystem::path output = dir / "export";
    std::filesystem::path journal = dir / "state" / "journal.json";
    test::TestLibrary frames = test::makeTestLibrary(dir / "lib", {{20, 30}, {64, 96}});
    Reports reports;
    std::shared_ptr<std::atomic<long long>> elapsedMs = std::make_shared<std::atomic<long long>>(0);
    // How often the watcher has read its clock: it does each time it notes a
    // file's new stamp or begins a scan.
    std::shared_ptr<std::atomic<long long>> clockReads =
        std::make_shared<std::atomic<long long>>(0);
    const std::chrono::steady_clock::time_point base = std::chrono::steady_clock::now();

    WatchConfiguration configuration() {
        std::filesystem::create_directories(input);
        WatchConfiguration config;
        config.input = input;
        config.output = output;
        config.library = frames.library;
        config.assets = frames.assets;
        config.journal = journal;
        // The settling rule alone; FinishedCapturesTest covers files that the
        // folder reports as closed or moved in.
        config.finishedFileEvents = false;
        return config;
    }

    std::unique_ptr<CaptureWatcher> watcher(WatchConfiguration config,
                                            CaptureWatcher::ChooseVideoFormat choose = {},
                                            bool fakeClock = true) {
        CaptureWatcher::SteadyNow now;
        if (fakeClock) {
            now = [elapsed = elapsedMs, reads = clockReads, start = base] {
                ++*reads;
                return start + std::chrono::milliseconds(elapsed->load());
            };
        }
        return std::make_unique<CaptureWatcher>(
            std::move(config),
            [this](const CaptureRecord& record) {
                std::lock_guard guard(reports.lock);
                reports.captures.push_back(record);
            },
            [this](const std::string& message) {
                std::lock_guard guard(reports.lock);
                reports.errors.push_back(message);
            },
            [this](const std::optional<CaptureProgress>& step) {
                if (!step) {
                    if (reports.afterProcessing) {
                        reports.afterProcessing();
                    }
                    return;
                }
                const std::string text = progressText(*step);
                if (reports.whenPreparing && text.rfind("Preparing ", 0) == 0) {
                    reports.whenPreparing();
                }
                std::lock_guard guard(reports.lock);
                reports.progress.push_back(text);
            },
            std::move(choose), std::move(now));
    }

    void advance(std::chrono::milliseconds by) { *elapsedMs += by.count(); }
    // Lets `by` pass on the watcher's clock and scans, `times` times over.
    void scanAfter(CaptureWatcher& watcher, std::chrono::milliseconds by, int times = 1) {
        for (int i = 0; i < times; ++i) {
            advance(by);
            watcher.scanNow();
        }
    }
    // Scans, then scans again once `by` has passed: what the first scan found
    // has settled by then when `by` is long enough.
    void scanAndSettle(CaptureWatcher& watcher, std::chrono::milliseconds by) {
        watcher.scanNow();
        scanAfter(watcher, by);
    }

    // New content over an existing capture, with a modification time a second
    // later than before, as a later write gives it on a coarse clock.
    void rewrite(const std::filesystem::path& path, std::uint32_t seed) {
        const auto before = std::filesystem::last_write_time(path);
        test::writeScreenshot(path, 20, 30, seed);
        std::filesystem::last_write_time(path, before + 1s);
    }

    std::filesystem::path screenshot(const std::string& name, std::uint32_t seed = 0,
                                     std::uint32_t width = 20, std::uint32_t height = 30) {
        std::filesystem::create_directories(input);
        test::writeScreenshot(input / name, width, height, seed);
        return input / name;
    }
};

TEST(CaptureCandidatesTest, TakesRecognisedNamesAndNeverFramedOutput) {
    for (const char* name :
         {"Simulator Screenshot - iPhone 16 - 2024.png", "Screenshot 1.png",
          "Screen Recording 1.MP4", "Simulator Screen Recording - x.Mp4", "Screenshot 2.PNG"}) {
        EXPECT_TRUE(isCaptureName(name, false)) << name;
    }
    for (const char* name : {"screenshot 1.png", "Screenshot.png", "Simulator Screenshot 1.jpg",
                             "Simulator Screenshot x-FRAMED-abc.png", "Screen Recording 1.png2",
                             "photo.png", "Screenshot 1.mov", "Screenshot 1"}) {
        EXPECT_FALSE(isCaptureName(name, false)) << name;
    }
    EXPECT_TRUE(isCaptureName("photo.png", true));
    EXPECT_TRUE(isCaptureName("clip.MP4", true));
    EXPECT_FALSE(isCaptureName("Simulator Screenshot-Framed-1.png", true));
    EXPECT_FALSE(isCaptureName("notes.txt", true));

    TempDir dir;
    for (const char* name : {"Screenshot 2.png", "Screenshot 1.png", ".Screenshot 0.png",
                             "Screenshot 3-framed-1.png", "other.png"}) {
        test::writeText(dir / name, "x");
    }
    std::filesystem::create_directories(dir / "Screenshot sub.png");
    std::filesystem::create_symlink("Screenshot 1.png", dir / "Screenshot link.png");
    const auto candidates = listCaptureCandidates(dir.path(), false);
    std::vector<std::string> names;
    for (const auto& candidate : candidates) {
        names.push_back(candidate.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Screenshot 1.png", "Screenshot 2.png",
                                               "Screenshot sub.png"}));
    EXPECT_EQ(messageOf([&] { listCaptureCandidates(dir / "missing", false); }),
              (dir / "missing").string() + ": No such file or directory");
}

TEST_F(CaptureWatcherTest, FirstRunSkipsWhatIsThereAndFramesNewCapturesOnceSettled) {
    screenshot("Simulator Screenshot A.png");
    auto running = watcher(configuration());
    EXPECT_EQ(readCaptureJournal(journal).count((input / "Simulator Screenshot A.png").string()),
              1u);
    running->scanNow();
    EXPECT_TRUE(reports.capturesNow().empty());

    const auto c = screenshot("Simulator Screenshot C.png", 3);
    const auto b = screenshot("Simulator Screenshot B.png", 2);
    screenshot("simulator screenshot D.png", 4);
    scanAndSettle(*running, 999ms);
    EXPECT_TRUE(reports.capturesNow().empty()) << "not settled yet";
    scanAfter(*running, 1ms);

    const auto captures = reports.capturesNow();
    ASSERT_EQ(captures.size(), 2u);
    EXPECT_EQ(captures[0].original, b.string()) << "file-name order";
    EXPECT_EQ(captures[1].original, c.string());
    CaptureExportControl control;
    const auto id = captureFingerprint(b, frames.assets[0].id, control);
    EXPECT_EQ(captures[0].id, id);
    EXPECT_EQ(captures[0].output,
              (output / ("Simulator Screenshot B-framed-" + id.substr(0, 16) + ".png")).string());
    EXPECT_EQ(captures[0].frame, frames.assets[0].name + " \u00B7 Portrait");
    EXPECT_EQ(entriesOf(output).size(), 2u) << "no temporary files";
    EXPECT_EQ(readCaptureJournal(journal).size(), 3u);

    // Handled files are left alone; a deleted one that comes back is new.
    scanAfter(*running, 5s);
    EXPECT_EQ(reports.capturesNow().size(), 2u);
    const auto bytes = readFile(b, kMaxPngFileBytes);
    std::filesystem::remove(b);
    running->scanNow();
    EXPECT_EQ(readCaptureJournal(journal).size(), 3u) << "the journal changes at its next write";
    writeExclusive(bytes, b);
    scanAndSettle(*running, 1s);
    ASSERT_EQ(reports.capturesNow().size(), 3u);
    EXPECT_EQ(reports.capturesNow()[2].output, captures[0].output) << "found, not framed again";
    EXPECT_EQ(entriesOf(output).size(), 2u);
    EXPECT_TRUE(reports.errorsNow().empty());

    // A restart frames nothing again.
    running.reset();
    auto restarted = watcher(configuration());
    scanAndSettle(*restarted, 5s);
    EXPECT_EQ(reports.capturesNow().size(), 3u);
}

TEST_F(CaptureWatcherTest, WaitsUntilAFileStopsChanging) {
    auto running = watcher(configuration());
    const auto path = screenshot("Screenshot 1.png", 1);
    running->scanNow();
    for (std::uint32_t seed = 2; seed < 6; ++seed) {
        advance(900ms);
        rewrite(path, seed);
        running->scanNow();
    }
    EXPECT_EQ(reports.preparing(), 0) << "still being written";
    scanAfter(*running, 1s);
    EXPECT_EQ(reports.capturesNow().size(), 1u);
    EXPECT_TRUE(reports.errorsNow().empty());

    // A recording needs three seconds (this one is no real recording, so the
    // attempt fails; only its start matters here).
    test::writeText(input / "Screen Recording 1.mp4", "not yet a movie");
    scanAndSettle(*running, 2999ms);
    EXPECT_EQ(reports.preparing(), 1);
    scanAfter(*running, 1ms);
    EXPECT_EQ(reports.preparing(), 2);
}

TEST_F(CaptureWatcherTest, GivesUpOnceAfterTenFailedAttempts) {
    auto running = watcher(configuration());
    screenshot("Screenshot odd.png", 0, 10, 10); // no frame has this opening
    running->scanNow();
    scanAfter(*running, 1s, 15);
    EXPECT_EQ(reports.preparing(), 10);
    const auto errors = reports.errorsNow();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Screenshot odd.png: ", 0), 0u) << errors[0];
    EXPECT_EQ(readCaptureJournal(journal).count((input / "Screenshot odd.png").string()), 1u);
    EXPECT_TRUE(entriesOf(output).empty());
}

TEST_F(CaptureWatcherTest, JournalWriteFailureIsRetriedAndNeverReportedAsFramed) {
    auto running = watcher(configuration());
    screenshot("Screenshot 1.png");
    running->scanNow();
    // The journal cannot be replaced while a folder stands in its place.
    std::filesystem::remove(journal);
    std::filesystem::create_directories(journal / "blocker");
    scanAfter(*running, 1s, 12);
    EXPECT_TRUE(reports.capturesNow().empty());
    ASSERT_EQ(reports.errorsNow().size(), 1u);
    EXPECT_EQ(reports.errorsNow()[0].rfind("Screenshot 1.png: ", 0), 0u);
    EXPECT_EQ(entriesOf(output).size(), 1u) << "framed once, found again on each retry";
}

TEST_F(CaptureWatcherTest, ConstructionFailuresNameTheirCause) {
    auto config = configuration();
    config.assets.clear();
    EXPECT_EQ(messageOf([&] { watcher(config); }), "Import a device frame to start capturing.");

    config = configuration();
    config.input = dir / "missing";
    EXPECT_EQ(messageOf([&] { watcher(config); }),
              "Cannot access the screenshot folder. Choose it again in Settings.");

    auto first = watcher(configuration());
    EXPECT_EQ(messageOf([&] { watcher(configuration()); }),
              "Another copy of Cadrelle is already watching this folder. Quit the other copy "
              "(including debug builds), then reopen Cadrelle.");
    first->stop();
    EXPECT_NO_THROW(watcher(configuration())) << "stop releases the lock";
    first.reset();

    test::writeText(journal, "{\"broken");
    const auto message = messageOf([&] { watcher(configuration()); });
    EXPECT_EQ(message.rfind(journal.string() + ": ", 0), 0u) << message;
    test::writeText(journal, R"({"/a": {"size": "big"}})");
    EXPECT_NE(messageOf([&] { watcher(configuration()); }), "");
    std::filesystem::remove(journal);
    EXPECT_NO_THROW(watcher(configuration())) << "a failed start holds no lock";
}

TEST_F(CaptureWatcherTest, ListingFailureIsReportedOncePerDistinctMessage) {
    auto running = watcher(configuration());
    std::filesystem::rename(input, dir / "away");
    running->scanNow();
    running->scanNow();
    EXPECT_EQ(reports.errorsNow().size(), 1u);
    std::filesystem::rename(dir / "away", input);
    running->scanNow();
    std::filesystem::rename(input, dir / "away");
    running->scanNow();
    EXPECT_EQ(reports.errorsNow().size(), 2u);
}

TEST_F(CaptureWatcherTest, ScreenshotsBecomeInboxItemsWhenQuickAccessIsOn) {
    auto config = configuration();
    config.screenshotInbox = dir / "inbox";
    auto running = watcher(config);
    const auto path = screenshot("Screenshot 1.png");
    scanAndSettle(*running, 1s);
    ASSERT_EQ(reports.capturesNow().size(), 1u);
    const CaptureRecord record = reports.capturesNow()[0];
    const CaptureExportControl control;
    EXPECT_EQ(record.id, captureFingerprint(path, frames.assets[0].id, control));
    const auto item = ScreenshotInbox(dir / "inbox").item(record.id);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->record, record);
    EXPECT_EQ(item->destination, output.string());
    EXPECT_EQ(item->frameID, frames.assets[0].id);
    EXPECT_TRUE(std::filesystem::exists(record.output));
    EXPECT_TRUE(entriesOf(output).empty()) << "nothing reaches the export folder before a save";
}

TEST_F(CaptureWatcherTest, ACaptureThatChangesOrVanishesDuringProcessingIsNotReported) {
    int calls = 0;
    reports.afterProcessing = [&] {
        ++calls;
        if (calls == 1) {
            rewrite(input / "Screenshot 1.png", 9); // rewritten meanwhile
        } else if (std::filesystem::exists(input / "Screenshot 2.png")) {
            std::filesystem::remove(input / "Screenshot 2.png"); // gone meanwhile
        }
    };
    auto running = watcher(configuration());
    screenshot("Screenshot 1.png");
    scanAndSettle(*running, 1s);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(reports.capturesNow().empty()) << "a record of the old content is dropped";
    scanAndSettle(*running, 1s);
    ASSERT_EQ(reports.capturesNow().size(), 1u) << "settled again and processed again";
    CaptureExportControl control;
    EXPECT_EQ(reports.capturesNow()[0].id,
              captureFingerprint(input / "Screenshot 1.png", frames.assets[0].id, control));

    screenshot("Screenshot 2.png");
    scanAndSettle(*running, 1s);
    running->scanNow();
    EXPECT_EQ(reports.capturesNow().size(), 1u);
    EXPECT_TRUE(reports.errorsNow().empty());
}

TEST_F(CaptureWatcherTest, FramingDuringTheSettlingWaitIsPublishedOnlyForTheFinalContent) {
    for (const bool quickAccess : {false, true}) {
        SCOPED_TRACE(quickAccess ? "Quick Access" : "export folder");
        const auto inbox = dir / (quickAccess ? "inbox" : "unused inbox");
        auto config = configuration();
        if (quickAccess) {
            config.screenshotInbox = inbox;
        }
        auto running = watcher(config);
        const auto path = screenshot("Screenshot 1.png", 1);
        running->scanNow();
        if (quickAccess) {
            // Framed already, in a staging folder of the inbox only.
            const auto staged = entriesOf(inbox);
            ASSERT_EQ(staged.size(), 1u);
            EXPECT_TRUE(staged[0].starts_with(".preparing-")) << staged[0];
        }
        rewrite(path, 2);
        scanAfter(*running, 500ms);
        scanAfter(*running, 999ms);
        EXPECT_TRUE(reports.capturesNow().empty()) << "the new content has not settled yet";
        if (quickAccess) {
            EXPECT_TRUE(entriesOf(output).empty());
        } else {
            EXPECT_LE(entriesOf(output).size(), 1u) << "only the new content's hidden staging";
        }
        EXPECT_LE(entriesOf(inbox).size(), 1u) << "the first content's staging is gone";
        scanAfter(*running, 1ms);

        const CaptureExportControl control;
        const auto id = captureFingerprint(path, frames.assets[0].id, control);
        ASSERT_EQ(reports.capturesNow().size(), 1u);
        EXPECT_EQ(reports.capturesNow()[0].id, id) << "the final content";
        EXPECT_EQ(reports.preparing(), 1);
        if (quickAccess) {
            EXPECT_EQ(entriesOf(inbox), (std::vector<std::string>{id, id + ".json"}));
            EXPECT_TRUE(entriesOf(output).empty());
        } else {
            EXPECT_EQ(entriesOf(output).size(), 1u);
        }
        scanAfter(*running, 2s);
        EXPECT_EQ(reports.capturesNow().size(), 1u) << "exactly once";

        // Stopping while a screenshot settles leaves nothing of its framing.
        screenshot("Screenshot 2.png", 3);
        running->scanNow();
        running->stop();
        EXPECT_EQ(entriesOf(inbox).size(), quickAccess ? 2u : 0u);
        EXPECT_EQ(entriesOf(output).size(), quickAccess ? 0u : 1u);
        EXPECT_TRUE(reports.errorsNow().empty());

        running.reset();
        std::filesystem::remove_all(input);
        std::filesystem::remove_all(output);
        std::filesystem::remove(journal);
        std::lock_guard guard(reports.lock);
        reports.captures.clear();
        reports.progress.clear();
    }
}

TEST_F(CaptureWatcherTest, ABurstIsFramedAFewAheadIntoHiddenFilesThatNeverOutliveIt) {
    auto running = watcher(configuration());
    std::vector<std::filesystem::path> shots;
    for (std::uint32_t n = 1; n <= 7; ++n) {
        shots.push_back(screenshot("Screenshot " + std::to_string(n) + ".png", n));
    }
    running->scanNow();
    // Framed while they settle, a few at a time, each waiting on disk beside
    // its output rather than in memory.
    const auto staged = entriesOf(output);
    EXPECT_GE(staged.size(), 1u);
    EXPECT_LE(staged.size(), 4u) << "only a few framed ahead";
    for (const auto& name : staged) {
        EXPECT_TRUE(name.starts_with(".lumivane-")) << name;
    }

    // One of them changes before it settles: its staged result goes.
    const auto before = std::filesystem::last_write_time(shots[0]);
    test::writeScreenshot(shots[0], 20, 30, 100);
    std::filesystem::last_write_time(shots[0], before + 1s);
    running->scanNow();
    EXPECT_LE(entriesOf(output).size(), 4u);

    scanAfter(*running, 1s);
    ASSERT_EQ(reports.capturesNow().size(), 7u);
    EXPECT_FALSE(test::hasTemporaryItem(output)) << "nothing hidden left once published";
    // What is published is exactly what framing the screenshot directly writes.
    const LoadedFrame frame(frames.assets[0], frames.library.directory / frames.assets[0].file);
    for (const auto& record : reports.capturesNow()) {
        const auto direct = dir / "direct.png";
        std::filesystem::remove(direct);
        render(std::filesystem::path(record.original), direct, frame);
        EXPECT_EQ(test::readText(record.output), test::readText(direct)) << record.original;
    }

    // Stopping while a burst settles leaves none of its staging behind.
    for (std::uint32_t n = 8; n <= 10; ++n) {
        screenshot("Screenshot " + std::to_string(n) + ".png", n);
    }
    running->scanNow();
    EXPECT_TRUE(test::hasTemporaryItem(output));
    running->stop();
    EXPECT_FALSE(test::hasTemporaryItem(output));
    EXPECT_EQ(entriesOf(output).size(), 7u);
    EXPECT_TRUE(reports.errorsNow().empty());
}

TEST_F(CaptureWatcherTest, ACaptureRemovedBetweenTheScanAndTheFramingLeavesNothing) {
    for (const bool quickAccess : {false, true}) {
        auto config = configuration();
        if (quickAccess) {
            config.screenshotInbox = dir / "inbox";
        }
        auto running = watcher(config);
        const auto capture = screenshot("Screenshot 1.png");
        reports.whenPreparing = [&] { std::filesystem::remove(capture); };
        scanAndSettle(*running, 1s);
        EXPECT_EQ(reports.preparing(), quickAccess ? 2 : 1) << "settled and taken up";
        reports.whenPreparing = nullptr;
        scanAfter(*running, 1s, 12);
        running->stop();
        EXPECT_TRUE(reports.capturesNow().empty());
        EXPECT_TRUE(reports.errorsNow().empty()) << "a vanished capture is forgotten quietly";
        EXPECT_TRUE(entriesOf(output).empty()) << "no output and no temporary item";
        EXPECT_TRUE(entriesOf(dir / "inbox").empty());
        EXPECT_EQ(readCaptureJournal(journal).count(capture.string()), 0u);
    }
}

TEST_F(CaptureWatcherTest, RecordingsAskForAFormatOnceAndFollowTheAnswer) {
    std::mutex lock;
    std::vector<std::pair<std::filesystem::path, CaptureWatcher::FormatAnswer>> questions;
    auto running = watcher(configuration(), [&](const std::filesystem::path& path,
                                                CaptureWatcher::FormatAnswer answer) {
        std::lock_guard guard(lock);
        questions.emplace_back(path, std::move(answer));
    });
    test::makeMp4(input / "Screen Recording 1.mp4", {});
    test::makeMp4(input / "Screen Recording 2.mp4", {});
    scanAndSettle(*running, 3s);
    scanAfter(*running, 1s);
    ASSERT_EQ(questions.size(), 2u) << "one question per recording while it is open";
    EXPECT_TRUE(entriesOf(output).empty());

    questions[0].second(std::nullopt); // declined
    questions[1].second(VideoExportFormat::mp4);
    running->scanNow(); // the answers were queued before this scan
    const auto captures = reports.capturesNow();
    ASSERT_EQ(captures.size(), 1u);
    EXPECT_EQ(captures[0].original, (input / "Screen Recording 2.mp4").string());
    EXPECT_EQ(std::filesystem::path(captures[0].output).extension(), ".mp4");
    EXPECT_EQ(entriesOf(output).size(), 1u);
    EXPECT_EQ(readCaptureJournal(journal).size(), 2u) << "the declined one is handled too";

    // A recording whose MOV output already exists is reported without a question.
    const auto third = input / "Screen Recording 3.mp4";
    std::filesystem::copy_file(input / "Screen Recording 1.mp4", third);
    CaptureExportControl control;
    const auto identifier =
        captureIdentifier(third, captureFingerprint(third, frames.assets[1].id, control),
                          VideoExportFormat::proRes4444);
    test::writeText(output / framedOutputName(third, identifier, "mov"), "movie");
    scanAndSettle(*running, 3s);
    EXPECT_EQ(questions.size(), 2u);
    ASSERT_EQ(reports.capturesNow().size(), 2u);
    EXPECT_EQ(reports.capturesNow()[1].id, identifier);
}

TEST_F(CaptureWatcherTest, SymbolicLinksNamedLikeCapturesAreNeverFramed) {
    auto config = configuration();
    config.screenshotInbox = dir / "inbox";
    auto running = watcher(config);
    test::writeScreenshot(dir / "elsewhere.png", 20, 30, 5);
    std::filesystem::create_symlink(dir / "elsewhere.png", input / "Simulator Screenshot out.png");
    screenshot("photo.png", 6);
    std::filesystem::create_symlink("photo.png", input / "Screenshot in.png");
    // A file that is replaced by a link while it settles.
    const auto swapped = screenshot("Screenshot swapped.png", 7);
    const auto real = screenshot("Screenshot real.png", 8);
    running->scanNow();
    std::filesystem::remove(swapped);
    std::filesystem::create_symlink(dir / "elsewhere.png", swapped);
    scanAfter(*running, 1s);
    scanAfter(*running, 5s);

    const auto captures = reports.capturesNow();
    ASSERT_EQ(captures.size(), 1u);
    EXPECT_EQ(captures[0].original, real.string());
    EXPECT_EQ(ScreenshotInbox(dir / "inbox").pending().size(), 1u) << "no link target is copied in";
    EXPECT_TRUE(reports.errorsNow().empty());
}

TEST_F(CaptureWatcherTest, ListsTheFolderAtMostTwiceASecondWhileAFileIsWrittenOrAQuestionIsOpen) {
    // The watcher's own timers list the folder about once a second; listing on
    // every write, or in a loop while a question is open, lists far more often
    // than that on any machine.
    using Clock = std::chrono::steady_clock;
    const auto secondsSince = [](Clock::time_point start) {
        return std::chrono::duration<double>(Clock::now() - start).count();
    };

    // A screenshot written in a few hundred parts. The watcher's clock stands
    // still, so the file cannot settle however slowly it is written. Each part
    // follows once the watcher has noted the one before, so that the writes
    // reach it as separate events.
    test::writeScreenshot(dir / "source.png", 64, 96, 3);
    const auto bytes = readFile(dir / "source.png", kMaxPngFileBytes);
    const std::size_t writes = std::min<std::size_t>(300, bytes.size());
    ASSERT_GE(writes, 200u);
    std::size_t written = 0;
    auto running = watcher(configuration());
    running->start();
    std::ofstream file(input / "Screenshot slow.png", std::ios::binary);
    const auto writePart = [&](std::size_t part) {
        const std::size_t end = (part + 1) * bytes.size() / writes;
        const long long readsBefore = clockReads->load();
        file.write(reinterpret_cast<const char*>(bytes.data() + written),
                   static_cast<std::streamsize>(end - written));
        file.flush();
        written = end;
        return test::waitUntil([&] { return clockReads->load() > readsBefore; });
    };
    ASSERT_TRUE(writePart(0));
    running->scanNow(); // now a pending file, followed by its own watch
    const auto listedBefore = captureFolderListings();
    const auto writingStarted = Clock::now();
    for (std::size_t part = 1; part < writes; ++part) {
        ASSERT_TRUE(writePart(part)) << "the watcher did not note write " << part;
    }
    file.close();
    const double writing = secondsSince(writingStarted);
    const auto listedWhileWriting = captureFolderListings() - listedBefore;
    EXPECT_LE(static_cast<double>(listedWhileWriting), 2.0 + 2.0 * writing)
        << listedWhileWriting << " listings in " << writing << " s";
    advance(1s);
    ASSERT_TRUE(test::waitUntil([&] { return !reports.capturesNow().empty(); }));
    ASSERT_EQ(reports.capturesNow().size(), 1u) << "framed once written";
    EXPECT_EQ(reports.preparing(), 1) << "never tried while it was being written";
    running.reset();

    // A recording whose format question stays open: three listings take the
    // timer's two intervals at least.
    CaptureWatcher::FormatAnswer answer; // set on the watcher's queue during a scanNow()
    running = watcher(configuration(),
                      [&](const std::filesystem::path&, CaptureWatcher::FormatAnswer given) {
                          answer = std::move(given);
                      });
    test::makeMp4(input / "Screen Recording 1.mp4", test::Mp4Spec{});
    running->start();
    scanAndSettle(*running, 3s);
    ASSERT_TRUE(answer) << "the question was asked";
    const auto listedAtQuestion = captureFolderListings();
    const auto askingStarted = Clock::now();
    ASSERT_TRUE(test::waitUntil([&] { return captureFolderListings() >= listedAtQuestion + 3; }));
    EXPECT_GE(secondsSince(askingStarted), 1.5) << "listed in a loop while the question is open";
    answer(VideoExportFormat::mp4);
    ASSERT_TRUE(test::waitUntil([&] { return reports.capturesNow().size() >= 2; }, 30s))
        << "framed once answered";
    EXPECT_EQ(reports.capturesNow().size(), 2u);
    EXPECT_TRUE(reports.errorsNow().empty());
}

TEST_F(CaptureWatcherTest, RunningWatcherFramesNewFilesAndStopsPromptly) {
    auto running = watcher(configuration(), {}, false);
    running->start();
    screenshot("Screenshot 1.png");
    ASSERT_TRUE(test::waitUntil([&] { return !reports.capturesNow().empty(); }));
    ASSERT_EQ(reports.capturesNow().size(), 1u);

    // A long recording render is cancelled by stop() and leaves nothing.
    test::makeMp4(input / "Screen Recording long.mp4", {.frames = 1800});
    ASSERT_TRUE(test::waitUntil([&] { return test::hasTemporaryItem(output); }, 30s))
        << "the export did not start";
    running->stop();
    running->stop();
    EXPECT_EQ(reports.capturesNow().size(), 1u);
    EXPECT_EQ(entriesOf(output).size(), 1u) << "no partial recording or temporary file";
    EXPECT_TRUE(reports.errorsNow().empty());
}

} // namespace
} // namespace cadrelle
