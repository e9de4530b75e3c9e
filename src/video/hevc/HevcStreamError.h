#pragma once

#include "core/AppError.h"

#include <string>

namespace cadrelle {

// An encoder's stream outside what the transparent HEVC builder supports (a
// second slice, tiles, scaling lists, a damaged header…). It stops the export
// instead of writing a wrong file.
class HevcStreamError : public AppError {
public:
    explicit HevcStreamError(const std::string& detail)
        : AppError("Cannot build the transparent HEVC stream: " + detail + ".") {}
};

} // namespace cadrelle
