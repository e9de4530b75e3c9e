#pragma once

#include <string>

namespace cadrelle {

// Writes text to standard error in one write, so that lines written by
// different threads never mix. Errors are ignored: there is nowhere left to
// report them.
void writeStandardError(const std::string& text);

} // namespace cadrelle
