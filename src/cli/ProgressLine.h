#pragma once

#include <string>

namespace cadrelle {

// A one-line indicator of current work on standard error, drawn only when
// standard error is a terminal. It is redrawn only when its text changes and
// is erased by clear() or on destruction.
class ProgressLine {
public:
    ProgressLine();
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(const std::string& text);
    void clear();

private:
    bool enabled_;
    std::string shown_; // empty when nothing is drawn
};

} // namespace cadrelle
