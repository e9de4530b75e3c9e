#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace cadrelle {

using NalBytes = std::vector<std::uint8_t>;

// NAL unit types the builder handles by name.
namespace nal {
inline constexpr int idrWithRadl = 19;
inline constexpr int idrNoLeading = 20;
inline constexpr int firstIrap = 16;
inline constexpr int lastIrap = 23;
inline constexpr int vps = 32;
inline constexpr int sps = 33;
inline constexpr int pps = 34;
inline constexpr int prefixSei = 39;
} // namespace nal

// One NAL unit as it travels in a stream: the two-byte header followed by the
// payload with its emulation-prevention bytes.
struct NalUnit {
    NalBytes bytes;

    int type() const { return (bytes.at(0) >> 1) & 0x3f; }
    int layerId() const { return ((bytes.at(0) & 1) << 5) | (bytes.at(1) >> 3); }
    int temporalId() const { return (bytes.at(1) & 7) - 1; }
    bool isVcl() const { return type() < 32; }
    bool isIrap() const { return type() >= nal::firstIrap && type() <= nal::lastIrap; }

    // The payload without the header and without emulation-prevention bytes.
    NalBytes rbsp() const;
    // The same payload under a header with another nuh_layer_id.
    NalUnit relabelled(int layerId) const;

    // Builds a NAL unit from a header and a raw payload (escaped here).
    static NalUnit make(int type, int layerId, int temporalId, std::span<const std::uint8_t> rbsp);
    // Checks the header: forbidden bit clear, temporal id 0 (one sub-layer).
    static NalUnit checked(NalBytes bytes);
};

// Removes emulation-prevention bytes (00 00 03 → 00 00).
NalBytes unescapeRbsp(std::span<const std::uint8_t> escaped);
// Inserts emulation-prevention bytes so no start code can appear.
NalBytes escapeRbsp(std::span<const std::uint8_t> rbsp);

// Splits an Annex B byte stream at its start codes.
std::vector<NalUnit> splitAnnexB(std::span<const std::uint8_t> stream);
// Joins NAL units with four-byte start codes.
NalBytes joinAnnexB(const std::vector<NalUnit>& units);
// Joins NAL units each behind a four-byte big-endian length, as in a movie sample.
NalBytes joinLengthPrefixed(const std::vector<NalUnit>& units);

} // namespace cadrelle
