#include "VideoFormatPrompter.h"

namespace cadrelle {

VideoFormatPrompter::VideoFormatPrompter(std::shared_ptr<VideoFormatPresenter> presenter)
    : presenter_(std::move(presenter)), self_(std::make_shared<VideoFormatPrompter*>(this)) {}

VideoFormatPrompter::~VideoFormatPrompter() {
    cancelAll();
}

void VideoFormatPrompter::request(const std::vector<std::filesystem::path>& recordings,
                                  const std::string& scope, Completion completion) {
    Request request{scope, {}, std::move(completion)};
    for (const auto& recording : recordings) {
        request.fileNames.push_back(recording.filename().string());
    }
    waiting_.push_back(std::move(request));
    presentNext();
}

void VideoFormatPrompter::cancel(const std::string& scope) {
    std::vector<Completion> withdrawn;
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        if (it->scope == scope) {
            withdrawn.push_back(std::move(it->completion));
            it = waiting_.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& completion : withdrawn) {
        completion(std::nullopt);
    }
    if (active_ && active_->scope == scope) {
        finish(std::nullopt);
    }
}

void VideoFormatPrompter::cancelAll() {
    std::deque<Request> withdrawn;
    withdrawn.swap(waiting_);
    for (const auto& request : withdrawn) {
        request.completion(std::nullopt);
    }
    finish(std::nullopt);
}

void VideoFormatPrompter::presentNext() {
    if (active_ || waiting_.empty()) {
        return;
    }
    active_ = std::move(waiting_.front());
    waiting_.pop_front();
    const std::uint64_t shown = ++shown_;
    const std::weak_ptr<VideoFormatPrompter*> weak = self_;
    presenter_->present(active_->fileNames, [weak, shown](std::optional<VideoExportFormat> format) {
        const auto self = weak.lock();
        if (self && (*self)->active_ && (*self)->shown_ == shown) {
            (*self)->finish(format);
        }
    });
}

void VideoFormatPrompter::finish(std::optional<VideoExportFormat> format) {
    if (!active_) {
        return;
    }
    Request finished = std::move(*active_);
    active_.reset();
    presenter_->dismiss();
    finished.completion(format);
    presentNext();
}

} // namespace cadrelle
