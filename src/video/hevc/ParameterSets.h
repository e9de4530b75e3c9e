#pragma once

#include "video/hevc/BitReader.h"
#include "video/hevc/NalUnit.h"

#include <array>
#include <cstdint>
#include <vector>

namespace cadrelle {

// A bit range of an RBSP holding one ue(v) field, and the value to put there.
struct UeField {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::uint32_t value = 0;
};

// Rewrites ue(v) fields (in ascending order) of an RBSP that ends with
// rbsp_trailing_bits(), keeping every other bit.
NalBytes rewriteUeFields(const NalBytes& rbsp, const std::vector<UeField>& fields);

// Reads st_ref_pic_set(index); `deltaPocCounts` holds NumDeltaPocs of the sets
// read before. Returns NumDeltaPocs of this set.
int readShortTermRefPicSet(BitReader& reader, std::size_t index, std::size_t count,
                           const std::vector<int>& deltaPocCounts);

// The part of a sequence parameter set that joining layers needs. Parsing
// refuses what the builder does not support: sub-layers, chroma other than
// 4:2:0, bit depths other than 8, scaling lists, PCM, long-term references.
struct SequenceParameterSet {
    NalBytes rbsp;
    UeField id;
    // general_profile_space … general_level_idc, 12 bytes as coded.
    std::array<std::uint8_t, 12> profileTierLevel{};
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool conformanceWindow = false;
    std::array<std::uint32_t, 4> conformanceOffsets{}; // left, right, top, bottom
    int log2MaxPocLsb = 0;
    std::uint32_t maxDecPicBufferingMinus1 = 0;
    std::uint32_t maxNumReorderPics = 0;
    std::uint32_t maxLatencyIncreasePlus1 = 0;
    bool sampleAdaptiveOffset = false;
    bool temporalMvp = false;
    std::vector<int> deltaPocCounts; // NumDeltaPocs of each st_ref_pic_set

    std::uint8_t levelIdc() const { return profileTierLevel[11]; }

    static SequenceParameterSet parse(const NalUnit& unit);
    // Declares general_level_idc `levelIdc` instead.
    void setLevelIdc(std::uint8_t levelIdc);
    // The same set with sps_seq_parameter_set_id `newId`, sent in layer `layerId`.
    NalUnit withId(std::uint32_t newId, int layerId) const;
};

// The part of a picture parameter set that slice headers depend on. Parsing
// refuses dependent slices, tiles, extra slice header bits, output flags,
// weighted prediction, scaling lists, list modification and extensions.
struct PictureParameterSet {
    NalBytes rbsp;
    UeField id;
    UeField spsId;
    bool cabacInitPresent = false;
    std::uint32_t numRefIdxL0Default = 1;
    std::uint32_t numRefIdxL1Default = 1;
    bool sliceChromaQpOffsetsPresent = false;
    bool entropyCodingSync = false;
    bool loopFilterAcrossSlices = false;
    bool deblockingOverrideEnabled = false;
    bool deblockingDisabled = false;
    bool sliceHeaderExtensionPresent = false;

    static PictureParameterSet parse(const NalUnit& unit);
    // The same set with new ids, sent in layer `layerId`.
    NalUnit withIds(std::uint32_t newId, std::uint32_t newSpsId, int layerId) const;
};

} // namespace cadrelle
