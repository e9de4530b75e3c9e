#include "ModelFixture.h"

#include "support/Mp4Maker.h"

#include <regex>

namespace cadrelle::test {
namespace {

using ManualFraming = ModelFixture;

// Manual framing on its own: no model and no watcher. Framed records and
// failures are collected as the model would receive them.
class FramingAlone : public ModelFixture {
protected:
    FramingAlone() {
        QObject::connect(&framing, &cadrelle::ManualFraming::framed,
                         [this](const CaptureRecord& record) { framed.push_back(record); });
        QObject::connect(&framing, &cadrelle::ManualFraming::failed,
                         [this](const std::string& message) { failures.push_back(message); });
        QObject::connect(&framing, &cadrelle::ManualFraming::exportStatusChanged,
                         [this] { statuses.push_back(framing.exportStatus().value_or("none")); });
    }

    // As the application quits: no question stays open behind the framing.
    ~FramingAlone() override {
        framing.cancel();
        prompter.cancelAll();
        framing.stop();
    }

    FramingSetup snapshot() const {
        FramingSetup setup;
        setup.library = shipped.library;
        setup.assets = shipped.library.load();
        setup.output = output;
        return setup;
    }

    VideoFormatPrompter prompter{presenter};
    cadrelle::ManualFraming framing{[this] { return snapshot(); }, prompter};
    std::vector<CaptureRecord> framed;
    std::vector<std::string> failures;
    std::vector<std::string> statuses;
};

TEST_F(ManualFraming, IsRefusedBeforeSetupAndFramesOnlyScreenshotsWhenTheFormatIsDeclined) {
    {
        const auto model = makeModel();
        model->frameManually({screenshot("a.png")});
        EXPECT_EQ(model->errorMessage(), "Finish setup first, then use Open Captures to frame "
                                         "existing screenshots and recordings.");
        EXPECT_FALSE(model->framing().isWorking());
    }
    std::vector<std::string> statuses;
    const auto model = makeSetUpModel(false);
    const auto shot = dir / "opened" / "shot.png";
    writeScreenshot(shot, 20, 30);
    makeMp4(dir / "opened" / "clip.mp4", Mp4Spec{});
    QObject::connect(&model->framing(), &cadrelle::ManualFraming::exportStatusChanged, model.get(),
                     [&] { statuses.push_back(model->framing().exportStatus().value_or("none")); });

    model->frameManually({shot, dir / "opened" / "clip.mp4"});
    EXPECT_TRUE(model->framing().isWorking());
    ASSERT_EQ(presenter->presented.size(), 1u);
    presenter->choose(std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return !model->framing().isWorking(); }));

    ASSERT_EQ(model->captures().size(), 1u);
    const auto framed = std::filesystem::path(model->captures().front().output);
    EXPECT_TRUE(
        std::regex_match(framed.filename().string(), std::regex(R"(shot-framed-[0-9A-F]{8}\.png)")))
        << framed;
    EXPECT_EQ(entriesOf(output), std::vector<std::string>{framed.filename().string()});
    EXPECT_EQ(statuses, (std::vector<std::string>{"Preparing shot.png\u2026", "none"}));
    EXPECT_FALSE(model->framing().manualExportControl().has_value());

    // Framing the same file again makes a new file: manual runs never reuse.
    model->frameManually({shot});
    ASSERT_TRUE(waitUntil([&] { return !model->framing().isWorking(); }));
    EXPECT_EQ(entriesOf(output).size(), 2u);
}

TEST_F(FramingAlone, FilesThatComeDuringAJobAreFramedAfterItInOrder) {
    std::vector<std::filesystem::path> shots;
    for (const std::string name : {"1.png", "2 \xff\xfe.png", "3.png", "4.png"}) {
        shots.push_back(dir / "opened" / name);
        writeScreenshot(shots.back(), 20, 30);
    }
    // While the job's format question is open, and while the job frames.
    framing.frame({dir / "opened" / "clip.mp4"});
    ASSERT_EQ(presenter->presented.size(), 1u);
    framing.frame({shots[0]});
    framing.frame({shots[1], shots[2]});
    presenter->choose(std::nullopt);
    framing.frame({shots[3]});
    ASSERT_TRUE(waitUntil([&] { return !framing.isWorking(); }));

    std::vector<std::string> originals;
    for (const CaptureRecord& record : framed) {
        originals.push_back(record.original);
        EXPECT_TRUE(std::filesystem::exists(record.output)) << record.output;
    }
    EXPECT_EQ(originals, (std::vector<std::string>{shots[0], shots[1], shots[2], shots[3]}));
    EXPECT_TRUE(failures.empty()) << failures.front();
    EXPECT_EQ(presenter->presented.size(), 1u) << "screenshots need no question";
}

TEST_F(ManualFraming, OpenCapturesStartsInTheCaptureFolderAndFramesTheChosenFiles) {
    const auto model = makeSetUpModel(false);
    const auto shot = input / "shot.png";
    writeScreenshot(shot, 20, 30);
    panels->answers.push_back({shot});
    model->chooseScreenshots();
    ASSERT_EQ(panels->shown.size(), 1u);
    EXPECT_EQ(panels->shown[0].title,
              "Choose PNG screenshots or saved MP4 recordings from Glimmerbox.");
    EXPECT_EQ(panels->shown[0].button, "Frame Captures");
    EXPECT_EQ(panels->shown[0].startFolder, input);
    ASSERT_TRUE(waitUntil([&] { return !model->framing().isWorking(); }));
    EXPECT_EQ(model->captures().size(), 1u);
}

TEST_F(FramingAlone, RecordingsReportProgressAndStoppingCancelsSilently) {
    Mp4Spec longer;
    longer.frames = 90;
    makeMp4(dir / "clip.mp4", longer);
    framing.frame({dir / "clip.mp4"});
    presenter->choose(VideoExportFormat::mp4);
    ASSERT_TRUE(waitUntil([&] { return !framing.isWorking(); }));
    ASSERT_EQ(framed.size(), 1u);
    EXPECT_EQ(statuses.front(), "Preparing clip.mp4\u2026");
    EXPECT_EQ(statuses[1], "Framing recording \u00B7 0%");
    EXPECT_EQ(statuses.back(), "none");

    // A second export, stopped by the application quitting.
    framing.frame({dir / "clip.mp4"});
    presenter->choose(VideoExportFormat::proRes4444);
    ASSERT_TRUE(framing.manualExportControl().has_value());
    ASSERT_TRUE(waitUntil(
        [&] { return framing.exportStatus().value_or("").rfind("Framing recording", 0) == 0; }));
    framing.stop();
    EXPECT_TRUE(failures.empty()) << "a cancellation is not an error";
    for (const auto& name : entriesOf(output)) {
        EXPECT_EQ(name.find(".lumivane-"), std::string::npos) << name;
        EXPECT_EQ(std::filesystem::path(name).extension(), ".mp4") << "no movie was published";
    }
}

} // namespace
} // namespace cadrelle::test
