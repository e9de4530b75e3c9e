#pragma once

#include <string>

namespace cadrelle {

// A one-line progress indicator on standard error, shown only when standard
// error is a terminal; it redraws when the whole percentage changes and is
// erased by clear() or on destruction.
class ProgressLine {
public:
    explicit ProgressLine(std::string label);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void update(double fraction);
    // Shows free text, such as "12 of 20", instead of a percentage.
    void show(const std::string& text);
    void clear();

private:
    std::string label_;
    bool enabled_;
    bool visible_ = false;
    int lastPercent_ = -1;
};

} // namespace cadrelle
