#pragma once

#include "updates/UpdateUserDriver.h"

#include <string>
#include <vector>

namespace cadrelle::test {

// Answers every update window with `answer` and records what it showed.
struct FakeUpdateUserDriver : UpdateUserDriver {
    Choice answer = Choice::install;
    std::vector<FoundUpdate> shown;
    std::vector<std::string> messages;
    void showUpdateFound(const FoundUpdate& update, std::function<void(Choice)> choose) override {
        shown.push_back(update);
        choose(answer);
    }
    void showDownloadProgress(std::int64_t, std::int64_t) override {}
    void showNoUpdate(const std::string& message) override { messages.push_back(message); }
    void dismiss() override {}
};

} // namespace cadrelle::test
