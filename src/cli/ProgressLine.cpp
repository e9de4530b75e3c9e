#include "ProgressLine.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace cadrelle {

namespace {

void writeError(const std::string& text) {
    const ssize_t ignored = ::write(STDERR_FILENO, text.data(), text.size());
    (void)ignored;
}

} // namespace

ProgressLine::ProgressLine(std::string label)
    : label_(std::move(label)), enabled_(::isatty(STDERR_FILENO) == 1) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::update(double fraction) {
    const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
    if (percent == lastPercent_) {
        return;
    }
    lastPercent_ = percent;
    show(std::to_string(percent) + "%");
}

void ProgressLine::show(const std::string& text) {
    if (!enabled_) {
        return;
    }
    writeError("\r\033[K" + label_ + " · " + text);
    visible_ = true;
}

void ProgressLine::clear() {
    if (visible_) {
        writeError("\r\033[K");
        visible_ = false;
    }
}

} // namespace cadrelle
