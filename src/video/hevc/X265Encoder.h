#pragma once

#include "video/hevc/NalUnit.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

struct x265_encoder;
struct x265_param;

namespace cadrelle {

// The settings both layers share, so their GOPs match picture by picture.
struct X265Settings {
    int width = 0;
    int height = 0;
    int frameRateNumerator = 30;
    int frameRateDenominator = 1;
    long long bitRate = 4'000'000; // bits per second, average (unless lossless)
    int keyframeInterval = 60;     // pictures between IDR pictures
    std::string preset = "ultrafast";
    bool bt709Tags = true; // colour description in the VUI (the colour layer)
    // Every picture decodes to exactly its input (no rate control; the
    // picture parameter set enables transquant bypass).
    bool lossless = false;
};

// One picture as the encoder returned it.
struct EncodedPicture {
    std::vector<NalUnit> units;
    std::int64_t pts = 0;
};

// An 8-bit 4:2:0 picture in three planes.
struct PlanarPicture {
    const std::uint8_t* planes[3] = {};
    int strides[3] = {};
};

// One libx265 encoder for a single-layer Main-profile stream with a fixed GOP:
// no B pictures, IDR every keyframeInterval pictures, no scene cuts, closed
// GOPs, no weighted prediction, parameter sets only in headers().
class X265Encoder {
public:
    explicit X265Encoder(const X265Settings& settings);
    ~X265Encoder();
    X265Encoder(const X265Encoder&) = delete;
    X265Encoder& operator=(const X265Encoder&) = delete;

    // VPS, SPS and PPS.
    const std::vector<NalUnit>& headers() const { return headers_; }

    // Hands one picture to the encoder; finished pictures are appended to `out`.
    void encode(const PlanarPicture& picture, std::int64_t pts, std::deque<EncodedPicture>& out);
    // Drains the encoder; false once nothing is left.
    bool flush(std::deque<EncodedPicture>& out);

private:
    int run(const PlanarPicture* picture, std::int64_t pts, std::deque<EncodedPicture>& out);

    struct ParamDeleter {
        void operator()(x265_param* param) const;
    };
    struct EncoderDeleter {
        void operator()(x265_encoder* encoder) const;
    };
    std::unique_ptr<x265_param, ParamDeleter> param_;
    std::unique_ptr<x265_encoder, EncoderDeleter> encoder_;
    std::vector<NalUnit> headers_;
};

} // namespace cadrelle
