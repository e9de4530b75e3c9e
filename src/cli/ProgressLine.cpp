#include "ProgressLine.h"

#include "core/StandardError.h"

#include <unistd.h>

namespace cadrelle {

ProgressLine::ProgressLine() : enabled_(::isatty(STDERR_FILENO) == 1) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::show(const std::string& text) {
    if (!enabled_ || text == shown_) {
        return;
    }
    writeStandardError("\r\033[K" + text);
    shown_ = text;
}

void ProgressLine::clear() {
    if (!shown_.empty()) {
        writeStandardError("\r\033[K");
        shown_.clear();
    }
}

} // namespace cadrelle
