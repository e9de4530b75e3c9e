#include "StandardError.h"

#include <unistd.h>

namespace cadrelle {

void writeStandardError(const std::string& text) {
    const ssize_t ignored = ::write(STDERR_FILENO, text.data(), text.size());
    (void)ignored;
}

} // namespace cadrelle
