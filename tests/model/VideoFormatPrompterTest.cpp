#include "FakeServices.h"

#include <gtest/gtest.h>

namespace cadrelle::test {
namespace {

using Answers = std::vector<std::pair<std::string, std::optional<VideoExportFormat>>>;

TEST(VideoFormatPrompter, AsksOneQuestionAtATimeAndAnswersEachExactlyOnce) {
    auto presenter = std::make_shared<FakePresenter>();
    Answers answers;
    auto record = [&](std::string name) {
        return [&answers, name](std::optional<VideoExportFormat> format) {
            answers.emplace_back(name, format);
        };
    };
    VideoFormatPrompter prompter(presenter);
    prompter.request({"/a/one.mp4"}, "watch", record("one"));
    prompter.request({"/a/two.mp4", "/a/three.mp4"}, "batch", record("two"));
    prompter.request({"/a/four.mp4"}, "watch", record("four"));
    ASSERT_EQ(presenter->presented.size(), 1u);
    EXPECT_EQ(presenter->presented[0], std::vector<std::string>{"one.mp4"});

    presenter->choose(VideoExportFormat::mp4);
    ASSERT_EQ(presenter->presented.size(), 2u);
    EXPECT_EQ(presenter->presented[1], (std::vector<std::string>{"two.mp4", "three.mp4"}));

    // Withdrawing a scope answers its waiting questions and leaves the one
    // on screen, which belongs to another scope.
    prompter.cancel("watch");
    EXPECT_EQ(answers, (Answers{{"one", VideoExportFormat::mp4}, {"four", std::nullopt}}));
    EXPECT_TRUE(prompter.isShowing());

    prompter.request({"/a/five.mp4"}, "watch", record("five"));
    prompter.cancel("batch"); // the one on screen: closes, the next shows at once
    EXPECT_EQ(answers.back(),
              (std::pair<std::string, std::optional<VideoExportFormat>>{"two", std::nullopt}));
    EXPECT_EQ(presenter->presented.back(), std::vector<std::string>{"five.mp4"});

    prompter.request({"/a/six.mp4"}, "batch", record("six"));
    prompter.cancelAll(); // waiting ones first, then the one on screen
    EXPECT_EQ(answers, (Answers{{"one", VideoExportFormat::mp4},
                                {"four", std::nullopt},
                                {"two", std::nullopt},
                                {"six", std::nullopt},
                                {"five", std::nullopt}}));
    EXPECT_FALSE(prompter.isShowing());
    EXPECT_EQ(prompter.waitingCount(), 0u);
    presenter->choose(VideoExportFormat::hevcAlpha); // a late answer changes nothing
    EXPECT_EQ(answers.size(), 5u);
}

} // namespace
} // namespace cadrelle::test
