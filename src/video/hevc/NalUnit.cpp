#include "video/hevc/NalUnit.h"

#include "video/hevc/HevcStreamError.h"

namespace cadrelle {

NalBytes NalUnit::rbsp() const {
    if (bytes.size() < 2) {
        throw HevcStreamError("a NAL unit has no header");
    }
    return unescapeRbsp(std::span(bytes).subspan(2));
}

NalUnit NalUnit::relabelled(int layerId) const {
    NalUnit unit{bytes};
    unit.bytes.at(0) = static_cast<std::uint8_t>((type() << 1) | ((layerId >> 5) & 1));
    unit.bytes.at(1) = static_cast<std::uint8_t>(((layerId & 31) << 3) | (bytes[1] & 7));
    return unit;
}

NalUnit NalUnit::make(int type, int layerId, int temporalId, std::span<const std::uint8_t> rbsp) {
    NalUnit unit;
    unit.bytes = {static_cast<std::uint8_t>((type << 1) | ((layerId >> 5) & 1)),
                  static_cast<std::uint8_t>(((layerId & 31) << 3) | (temporalId + 1))};
    const NalBytes escaped = escapeRbsp(rbsp);
    unit.bytes.insert(unit.bytes.end(), escaped.begin(), escaped.end());
    return unit;
}

NalUnit NalUnit::checked(NalBytes bytes) {
    NalUnit unit{std::move(bytes)};
    if (unit.bytes.size() < 3) {
        throw HevcStreamError("a NAL unit is empty");
    }
    if (unit.bytes[0] & 0x80) {
        throw HevcStreamError("a NAL unit has its forbidden bit set");
    }
    if (unit.temporalId() != 0) {
        throw HevcStreamError("the stream has temporal sub-layers");
    }
    return unit;
}

NalBytes unescapeRbsp(std::span<const std::uint8_t> escaped) {
    NalBytes out;
    out.reserve(escaped.size());
    int zeros = 0;
    for (const std::uint8_t byte : escaped) {
        if (zeros >= 2 && byte == 3) {
            zeros = 0;
            continue;
        }
        out.push_back(byte);
        zeros = byte == 0 ? zeros + 1 : 0;
    }
    return out;
}

NalBytes escapeRbsp(std::span<const std::uint8_t> rbsp) {
    NalBytes out;
    out.reserve(rbsp.size() + rbsp.size() / 64 + 1);
    int zeros = 0;
    for (const std::uint8_t byte : rbsp) {
        if (zeros >= 2 && byte <= 3) {
            out.push_back(3);
            zeros = 0;
        }
        out.push_back(byte);
        zeros = byte == 0 ? zeros + 1 : 0;
    }
    // A payload ending in a zero byte (cabac_zero_words) gets a final 03.
    if (!out.empty() && out.back() == 0) {
        out.push_back(3);
    }
    return out;
}

std::vector<NalUnit> splitAnnexB(std::span<const std::uint8_t> stream) {
    std::vector<NalUnit> units;
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t start = none;
    auto close = [&](std::size_t end) {
        while (end > start && stream[end - 1] == 0) {
            --end; // trailing zero bytes and the first zero of a four-byte start code
        }
        units.push_back(NalUnit::checked(NalBytes(stream.begin() + static_cast<long>(start),
                                                  stream.begin() + static_cast<long>(end))));
    };
    std::size_t i = 0;
    while (i + 3 <= stream.size()) {
        if (stream[i] == 0 && stream[i + 1] == 0 && stream[i + 2] == 1) {
            if (start != none) {
                close(i);
            }
            i += 3;
            start = i;
        } else {
            ++i;
        }
    }
    if (start == none) {
        throw HevcStreamError("the encoder's output has no start code");
    }
    close(stream.size());
    return units;
}

NalBytes joinAnnexB(const std::vector<NalUnit>& units) {
    NalBytes out;
    for (const auto& unit : units) {
        out.insert(out.end(), {0, 0, 0, 1});
        out.insert(out.end(), unit.bytes.begin(), unit.bytes.end());
    }
    return out;
}

NalBytes joinLengthPrefixed(const std::vector<NalUnit>& units) {
    NalBytes out;
    for (const auto& unit : units) {
        const auto size = static_cast<std::uint32_t>(unit.bytes.size());
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                    static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
        out.insert(out.end(), unit.bytes.begin(), unit.bytes.end());
    }
    return out;
}

} // namespace cadrelle
