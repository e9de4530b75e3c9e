#include "video/hevc/HvcCRecord.h"

#include "video/hevc/BitWriter.h"

#include <map>

namespace cadrelle {

std::vector<std::uint8_t> makeHvcCRecord(const SequenceParameterSet& colourSps,
                                         const std::vector<NalUnit>& units) {
    BitWriter w;
    w.bits(1, 8); // configurationVersion
    for (const std::uint8_t byte : colourSps.profileTierLevel) {
        w.bits(byte, 8); // profile space, tier, profile, compatibility, constraints, level
    }
    w.bits(0xf, 4);
    w.bits(0, 12); // min_spatial_segmentation_idc
    w.bits(0x3f, 6);
    w.bits(0, 2); // parallelismType: unknown
    w.bits(0x3f, 6);
    w.bits(1, 2); // chromaFormat: 4:2:0
    w.bits(0x1f, 5);
    w.bits(0, 3); // bitDepthLumaMinus8
    w.bits(0x1f, 5);
    w.bits(0, 3);  // bitDepthChromaMinus8
    w.bits(0, 16); // avgFrameRate: unspecified
    w.bits(0, 2);  // constantFrameRate: unknown
    w.bits(1, 3);  // numTemporalLayers
    w.flag(true);  // temporalIdNested
    w.bits(3, 2);  // lengthSizeMinusOne: four-byte lengths

    std::map<int, std::vector<const NalUnit*>> arrays;
    for (const auto& unit : units) {
        arrays[unit.type()].push_back(&unit);
    }
    w.bits(arrays.size(), 8);
    for (const auto& [type, members] : arrays) {
        w.flag(type != nal::prefixSei); // array_completeness
        w.flag(false);
        w.bits(static_cast<std::uint64_t>(type), 6);
        w.bits(members.size(), 16);
        for (const NalUnit* unit : members) {
            w.bits(unit->bytes.size(), 16);
            for (const std::uint8_t byte : unit->bytes) {
                w.bits(byte, 8);
            }
        }
    }
    return w.bytes();
}

} // namespace cadrelle
