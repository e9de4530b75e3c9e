#include "CompletePng.h"

#include "BigEndian.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace cadrelle {

bool isCompletePng(std::span<const std::uint8_t> bytes) {
    static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                               '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < kSignature.size() ||
        !std::equal(kSignature.begin(), kSignature.end(), bytes.begin())) {
        return false;
    }
    std::size_t at = kSignature.size();
    // Length, type, data and CRC: 12 bytes around the data.
    while (bytes.size() - at >= 12) {
        const std::size_t length = readBig32(bytes.data() + at);
        if (length > 0x7FFFFFFFu || bytes.size() - at - 12 < length) {
            return false;
        }
        const std::uint8_t* type = bytes.data() + at + 4;
        if (libdeflate_crc32(0, type, length + 4) != readBig32(type + 4 + length)) {
            return false;
        }
        at += 12 + length;
        if (std::memcmp(type, "IEND", 4) == 0) {
            return at == bytes.size();
        }
    }
    return false;
}

} // namespace cadrelle
