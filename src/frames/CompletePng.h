#pragma once

#include <cstdint>
#include <span>

namespace cadrelle {

// Whether `bytes` hold a PNG file written to its end: the signature, then
// chunks whose lengths fit and whose CRCs match, the last of them IEND, and
// nothing after it. A file cut short anywhere, or still being appended to,
// fails. The pixels are not decoded.
bool isCompletePng(std::span<const std::uint8_t> bytes);

} // namespace cadrelle
