#include "video/hevc/ParameterSets.h"

#include "video/hevc/BitWriter.h"
#include "video/hevc/HevcStreamError.h"

namespace cadrelle {

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        throw HevcStreamError(what);
    }
}

UeField readUeField(BitReader& reader) {
    UeField field;
    field.begin = reader.position();
    field.value = reader.ue();
    field.end = reader.position();
    return field;
}

std::size_t stopBitPosition(const NalBytes& rbsp) {
    for (std::size_t i = rbsp.size(); i-- > 0;) {
        if (rbsp[i] != 0) {
            int k = 0;
            while (((rbsp[i] >> k) & 1u) == 0) {
                ++k;
            }
            return i * 8 + static_cast<std::size_t>(7 - k);
        }
    }
    throw HevcStreamError("a parameter set has no trailing bits");
}

} // namespace

NalBytes rewriteUeFields(const NalBytes& rbsp, const std::vector<UeField>& fields) {
    const std::size_t stop = stopBitPosition(rbsp);
    BitWriter writer;
    std::size_t cursor = 0;
    for (const auto& field : fields) {
        require(field.begin >= cursor && field.end <= stop, "a parameter set field is misplaced");
        writer.copy(rbsp, cursor, field.begin);
        writer.ue(field.value);
        cursor = field.end;
    }
    writer.copy(rbsp, cursor, stop);
    writer.trailingBits();
    return writer.bytes();
}

int readShortTermRefPicSet(BitReader& reader, std::size_t index, std::size_t count,
                           const std::vector<int>& deltaPocCounts) {
    const bool predicted = index != 0 && reader.flag();
    if (predicted) {
        std::size_t deltaIndex = 1;
        if (index == count) {
            deltaIndex = std::size_t{reader.ue()} + 1;
        }
        require(deltaIndex <= index && index - deltaIndex < deltaPocCounts.size(),
                "a reference picture set refers to a missing set");
        reader.flag(); // delta_rps_sign
        reader.ue();   // abs_delta_rps_minus1
        int kept = 0;
        for (int j = 0; j <= deltaPocCounts[index - deltaIndex]; ++j) {
            const bool used = reader.flag();
            const bool useDelta = used || reader.flag();
            kept += useDelta ? 1 : 0;
        }
        return kept;
    }
    const std::uint32_t negative = reader.ue();
    const std::uint32_t positive = reader.ue();
    require(negative <= 16 && positive <= 16, "a reference picture set is too large");
    for (std::uint32_t i = 0; i < negative + positive; ++i) {
        reader.ue();   // delta_poc_sX_minus1
        reader.flag(); // used_by_curr_pic_sX_flag
    }
    return static_cast<int>(negative + positive);
}

SequenceParameterSet SequenceParameterSet::parse(const NalUnit& unit) {
    require(unit.type() == nal::sps, "a sequence parameter set is missing");
    SequenceParameterSet sps;
    sps.rbsp = unit.rbsp();
    BitReader reader(sps.rbsp);
    reader.bits(4); // sps_video_parameter_set_id
    require(reader.bits(3) == 0, "the stream has temporal sub-layers");
    reader.flag(); // sps_temporal_id_nesting_flag
    for (auto& byte : sps.profileTierLevel) {
        byte = static_cast<std::uint8_t>(reader.bits(8));
    }
    sps.id = readUeField(reader);
    require(reader.ue() == 1, "the pictures are not 4:2:0");
    sps.width = reader.ue();
    sps.height = reader.ue();
    require(sps.width > 0 && sps.width <= 65535 && sps.height > 0 && sps.height <= 65535,
            "the picture size is out of range");
    sps.conformanceWindow = reader.flag();
    if (sps.conformanceWindow) {
        for (auto& offset : sps.conformanceOffsets) {
            offset = reader.ue();
        }
    }
    require(reader.ue() == 0 && reader.ue() == 0, "the pictures are not 8-bit");
    sps.log2MaxPocLsb = static_cast<int>(reader.ue()) + 4;
    require(sps.log2MaxPocLsb <= 16, "the picture order count is out of range");
    const bool orderingForEachSubLayer = reader.flag();
    (void)orderingForEachSubLayer; // one sub-layer: one set of values either way
    sps.maxDecPicBufferingMinus1 = reader.ue();
    sps.maxNumReorderPics = reader.ue();
    sps.maxLatencyIncreasePlus1 = reader.ue();
    for (int i = 0; i < 6; ++i) {
        reader.ue(); // coding block, transform block and hierarchy sizes
    }
    require(!reader.flag(), "the stream uses scaling lists");
    reader.flag(); // amp_enabled_flag
    sps.sampleAdaptiveOffset = reader.flag();
    require(!reader.flag(), "the stream uses PCM");
    const std::uint32_t setCount = reader.ue();
    require(setCount <= 64, "too many reference picture sets");
    for (std::uint32_t i = 0; i < setCount; ++i) {
        sps.deltaPocCounts.push_back(
            readShortTermRefPicSet(reader, i, setCount, sps.deltaPocCounts));
    }
    require(!reader.flag(), "the stream uses long-term reference pictures");
    sps.temporalMvp = reader.flag();
    return sps;
}

void SequenceParameterSet::setLevelIdc(std::uint8_t levelIdc) {
    // profile_tier_level() follows the first byte of the RBSP (parameter set
    // id, sub-layer count, nesting flag); general_level_idc is its last byte.
    profileTierLevel.back() = levelIdc;
    rbsp.at(profileTierLevel.size()) = levelIdc;
}

NalUnit SequenceParameterSet::withId(std::uint32_t newId, int layerId) const {
    UeField field = id;
    field.value = newId;
    return NalUnit::make(nal::sps, layerId, 0, rewriteUeFields(rbsp, {field}));
}

PictureParameterSet PictureParameterSet::parse(const NalUnit& unit) {
    require(unit.type() == nal::pps, "a picture parameter set is missing");
    PictureParameterSet pps;
    pps.rbsp = unit.rbsp();
    BitReader reader(pps.rbsp);
    pps.id = readUeField(reader);
    pps.spsId = readUeField(reader);
    require(!reader.flag(), "the stream uses dependent slices");
    require(!reader.flag(), "the stream uses output flags");
    require(reader.bits(3) == 0, "the stream uses extra slice header bits");
    reader.flag(); // sign_data_hiding_enabled_flag
    pps.cabacInitPresent = reader.flag();
    pps.numRefIdxL0Default = reader.ue() + 1;
    pps.numRefIdxL1Default = reader.ue() + 1;
    reader.se();   // init_qp_minus26
    reader.flag(); // constrained_intra_pred_flag
    reader.flag(); // transform_skip_enabled_flag
    if (reader.flag()) {
        reader.ue(); // diff_cu_qp_delta_depth
    }
    reader.se(); // pps_cb_qp_offset
    reader.se(); // pps_cr_qp_offset
    pps.sliceChromaQpOffsetsPresent = reader.flag();
    require(!reader.flag() && !reader.flag(), "the stream uses weighted prediction");
    reader.flag(); // transquant_bypass_enabled_flag
    require(!reader.flag(), "the stream uses tiles");
    pps.entropyCodingSync = reader.flag();
    pps.loopFilterAcrossSlices = reader.flag();
    if (reader.flag()) { // deblocking_filter_control_present_flag
        pps.deblockingOverrideEnabled = reader.flag();
        pps.deblockingDisabled = reader.flag();
        if (!pps.deblockingDisabled) {
            reader.se();
            reader.se();
        }
    }
    require(!reader.flag(), "the stream uses scaling lists");
    require(!reader.flag(), "the stream modifies reference picture lists");
    reader.ue(); // log2_parallel_merge_level_minus2
    pps.sliceHeaderExtensionPresent = reader.flag();
    require(!reader.flag(), "the stream uses picture parameter set extensions");
    return pps;
}

NalUnit PictureParameterSet::withIds(std::uint32_t newId, std::uint32_t newSpsId,
                                     int layerId) const {
    UeField idField = id;
    idField.value = newId;
    UeField spsField = spsId;
    spsField.value = newSpsId;
    return NalUnit::make(nal::pps, layerId, 0, rewriteUeFields(rbsp, {idField, spsField}));
}

} // namespace cadrelle
