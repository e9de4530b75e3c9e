#pragma once

#include "video/VideoExportFormat.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cadrelle {

// Draws the format question; the application shell provides a dialog, tests
// a fake. Main thread only.
class VideoFormatPresenter {
public:
    using Answer = std::function<void(std::optional<VideoExportFormat>)>;
    virtual ~VideoFormatPresenter() = default;
    // Shows the question for these file names. The presenter calls `answer`
    // at most once: with the chosen format, or with none when the user
    // declined or closed it.
    virtual void present(const std::vector<std::string>& fileNames, Answer answer) = 0;
    // Closes the question on screen without calling its answer.
    virtual void dismiss() = 0;
};

// Asks the user for the format of recordings about to be framed: queues the
// questions and shows one at a time, oldest first. Each completion is called
// exactly once on the main thread: with the chosen format, or with none when
// the user declined or the asker withdrew the question. Main thread only.
class VideoFormatPrompter final {
public:
    using Completion = std::function<void(std::optional<VideoExportFormat>)>;

    explicit VideoFormatPrompter(std::shared_ptr<VideoFormatPresenter> presenter);
    // Withdraws every question still open.
    ~VideoFormatPrompter();
    VideoFormatPrompter(const VideoFormatPrompter&) = delete;
    VideoFormatPrompter& operator=(const VideoFormatPrompter&) = delete;

    // Queues a question about these recordings for the asker's `scope` (a
    // watch run or a batch of files) and shows it when it is its turn.
    void request(const std::vector<std::filesystem::path>& recordings, const std::string& scope,
                 Completion completion);
    // Withdraws every question of `scope`: the waiting ones in order, then
    // the one on screen, whose dialog closes and makes way for the next.
    void cancel(const std::string& scope);
    // Withdraws every question, the waiting ones first.
    void cancelAll();

    bool isShowing() const { return active_.has_value(); }
    std::size_t waitingCount() const { return waiting_.size(); }

private:
    struct Request {
        std::string scope;
        std::vector<std::string> fileNames;
        Completion completion;
    };

    void presentNext();
    void finish(std::optional<VideoExportFormat> format);

    std::shared_ptr<VideoFormatPresenter> presenter_;
    std::deque<Request> waiting_;
    std::optional<Request> active_;
    // Tells the presenter's answer for the question on screen from a late
    // answer to one already finished.
    std::uint64_t shown_ = 0;
    std::shared_ptr<VideoFormatPrompter*> self_;
};

} // namespace cadrelle
