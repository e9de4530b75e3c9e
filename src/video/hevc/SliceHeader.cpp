#include "video/hevc/SliceHeader.h"

#include "video/hevc/BitWriter.h"
#include "video/hevc/HevcStreamError.h"

namespace cadrelle {

namespace {

constexpr std::uint32_t sliceB = 0;
constexpr std::uint32_t sliceP = 1;

int bitsFor(std::size_t count) {
    int bits = 0;
    while ((std::size_t{1} << bits) < count) {
        ++bits;
    }
    return bits;
}

} // namespace

SliceHeader SliceHeader::parse(std::span<const std::uint8_t> rbsp, int nalType,
                               const SequenceParameterSet& sps, const PictureParameterSet& pps) {
    SliceHeader header;
    header.nalType = nalType;
    BitReader reader(rbsp);
    if (!reader.flag()) {
        throw HevcStreamError("a picture has more than one slice");
    }
    if (nalType >= nal::firstIrap && nalType <= nal::lastIrap) {
        reader.flag(); // no_output_of_prior_pics_flag
    }
    header.ppsId.begin = reader.position();
    header.ppsId.value = reader.ue();
    header.ppsId.end = reader.position();
    if (header.ppsId.value != pps.id.value) {
        throw HevcStreamError("a slice refers to an unknown picture parameter set");
    }
    header.sliceType = reader.ue();
    if (header.sliceType > 2) {
        throw HevcStreamError("a slice has an unknown type");
    }
    bool temporalMvp = false;
    if (nalType != nal::idrWithRadl && nalType != nal::idrNoLeading) {
        header.pocLsbAt = reader.position();
        header.pocLsbBits = sps.log2MaxPocLsb;
        header.pocLsb = static_cast<std::uint32_t>(reader.bits(sps.log2MaxPocLsb));
        const std::size_t setCount = sps.deltaPocCounts.size();
        if (!reader.flag()) { // short_term_ref_pic_set_sps_flag
            readShortTermRefPicSet(reader, setCount, setCount, sps.deltaPocCounts);
        } else if (setCount > 1) {
            reader.bits(bitsFor(setCount)); // short_term_ref_pic_set_idx
        } else if (setCount == 0) {
            throw HevcStreamError("a slice refers to a missing reference picture set");
        }
        if (sps.temporalMvp) {
            temporalMvp = reader.flag();
        }
    }
    bool saoLuma = false;
    bool saoChroma = false;
    if (sps.sampleAdaptiveOffset) {
        saoLuma = reader.flag();
        saoChroma = reader.flag(); // 4:2:0 always has chroma
    }
    if (header.sliceType == sliceP || header.sliceType == sliceB) {
        std::uint32_t refL0 = pps.numRefIdxL0Default;
        std::uint32_t refL1 = pps.numRefIdxL1Default;
        if (reader.flag()) { // num_ref_idx_active_override_flag
            refL0 = reader.ue() + 1;
            if (header.sliceType == sliceB) {
                refL1 = reader.ue() + 1;
            }
        }
        if (header.sliceType == sliceB) {
            reader.flag(); // mvd_l1_zero_flag
        }
        if (pps.cabacInitPresent) {
            reader.flag();
        }
        if (temporalMvp) {
            const bool fromL0 = header.sliceType == sliceB ? reader.flag() : true;
            if ((fromL0 && refL0 > 1) || (!fromL0 && refL1 > 1)) {
                reader.ue(); // collocated_ref_idx
            }
        }
        reader.ue(); // five_minus_max_num_merge_cand
    }
    reader.se(); // slice_qp_delta
    if (pps.sliceChromaQpOffsetsPresent) {
        reader.se();
        reader.se();
    }
    bool deblockingDisabled = pps.deblockingDisabled;
    if (pps.deblockingOverrideEnabled && reader.flag()) {
        deblockingDisabled = reader.flag();
        if (!deblockingDisabled) {
            reader.se();
            reader.se();
        }
    }
    if (pps.loopFilterAcrossSlices && (saoLuma || saoChroma || !deblockingDisabled)) {
        header.loopFilterAcrossSlicesAt = reader.position();
        reader.flag();
    }
    if (pps.entropyCodingSync) {
        const std::uint32_t entryPoints = reader.ue();
        if (entryPoints > 0) {
            const std::uint32_t offsetBits = reader.ue() + 1;
            if (offsetBits > 32) {
                throw HevcStreamError("a slice has an invalid entry point");
            }
            for (std::uint32_t i = 0; i < entryPoints; ++i) {
                reader.bits(static_cast<int>(offsetBits));
            }
        }
    }
    if (pps.sliceHeaderExtensionPresent) {
        reader.skip(std::size_t{reader.ue()} * 8);
    }
    header.end = reader.position();
    if (!reader.flag()) {
        throw HevcStreamError("a slice header does not end where expected");
    }
    while (reader.position() % 8 != 0) {
        if (reader.flag()) {
            throw HevcStreamError("a slice header does not end where expected");
        }
    }
    header.dataStart = reader.position() / 8;
    return header;
}

NalUnit rewriteSlice(int nalType, const NalBytes& rbsp, const SliceHeader& header,
                     std::uint32_t newPpsId, int layerId) {
    BitWriter writer;
    writer.copy(rbsp, 0, header.ppsId.begin);
    writer.ue(newPpsId);
    writer.copy(rbsp, header.ppsId.end, header.end);
    writer.trailingBits(); // byte_alignment() has the same form
    NalBytes rewritten = writer.bytes();
    rewritten.insert(rewritten.end(), rbsp.begin() + static_cast<long>(header.dataStart),
                     rbsp.end());
    return NalUnit::make(nalType, layerId, 0, rewritten);
}

NalBytes withPocLsb(const NalBytes& rbsp, const SliceHeader& header, std::uint32_t pocLsb,
                    std::optional<bool> loopFilterAcrossSlices) {
    if (header.pocLsbAt == SliceHeader::absent) {
        throw HevcStreamError("an IDR slice has no picture order count to rewrite");
    }
    const std::size_t pocEnd = header.pocLsbAt + static_cast<std::size_t>(header.pocLsbBits);
    const std::size_t flagAt =
        loopFilterAcrossSlices ? header.loopFilterAcrossSlicesAt : SliceHeader::absent;
    const std::size_t headerEnd = header.dataStart * 8;
    BitWriter writer;
    writer.copy(rbsp, 0, header.pocLsbAt);
    writer.bits(pocLsb, header.pocLsbBits);
    if (flagAt == SliceHeader::absent) {
        writer.copy(rbsp, pocEnd, headerEnd);
    } else {
        writer.copy(rbsp, pocEnd, flagAt);
        writer.flag(*loopFilterAcrossSlices);
        writer.copy(rbsp, flagAt + 1, headerEnd);
    }
    NalBytes rewritten = writer.bytes();
    rewritten.insert(rewritten.end(), rbsp.begin() + static_cast<long>(header.dataStart),
                     rbsp.end());
    return rewritten;
}

} // namespace cadrelle
