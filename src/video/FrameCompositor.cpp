#include "FrameCompositor.h"

#include "core/AppError.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace cadrelle {

namespace {

constexpr int kPlanesOfColour = 3;
constexpr int kAlphaPlane = 3;
constexpr double kOne = 65536.0; // weights are 16.16 fixed point

// What one output pixel is made of: recording × w + c (per colour plane, in
// the output's code values), and its opacity.
struct PixelTerms {
    double w = 0;
    double c[kPlanesOfColour] = {0, 0, 0};
    double alpha = 1;
};

struct TermsRule {
    bool hasAlpha = false;
    bool premultiplied = false;
    double scale = 1; // code values per 8-bit step
    double black[kPlanesOfColour] = {16, 128, 128};

    // `ab` is the bezel's opacity, (r, g, b) its premultiplied colour in 0…1,
    // `m` the opening mask in 0…1.
    PixelTerms terms(double ab, double r, double g, double b, double m) const {
        const double luma = 0.2126 * r + 0.7152 * g + 0.0722 * b;
        const double bezel[kPlanesOfColour] = {
            scale * (16 * ab + 219 * luma),
            scale * (128 * ab + 224 * (b - luma) / 1.8556),
            scale * (128 * ab + 224 * (r - luma) / 1.5748),
        };
        PixelTerms out;
        const double shown = m * (1 - ab); // how much of the recording shows
        if (!hasAlpha) {
            out.w = shown;
            for (int k = 0; k < kPlanesOfColour; ++k) {
                out.c[k] = (1 - m) * (1 - ab) * black[k] + bezel[k];
            }
            return out;
        }
        out.alpha = shown + ab;
        if (premultiplied) {
            out.w = shown;
            for (int k = 0; k < kPlanesOfColour; ++k) {
                out.c[k] = bezel[k] + (1 - out.alpha) * black[k];
            }
        } else if (out.alpha > 0) {
            out.w = shown / out.alpha;
            for (int k = 0; k < kPlanesOfColour; ++k) {
                out.c[k] = bezel[k] / out.alpha;
            }
        } else {
            for (int k = 0; k < kPlanesOfColour; ++k) {
                out.c[k] = black[k];
            }
        }
        return out;
    }
};

void storeSample(AVFrame& frame, int plane, int x, int y, int depth, double value) {
    const double top = (1 << depth) - 1;
    const auto code = static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, long(top)));
    std::uint8_t* row = frame.data[plane] + static_cast<std::ptrdiff_t>(y) * frame.linesize[plane];
    if (depth > 8) {
        reinterpret_cast<std::uint16_t*>(row)[x] = code;
    } else {
        row[x] = static_cast<std::uint8_t>(code);
    }
}

} // namespace

FrameCompositor::FrameCompositor(const LoadedFrame& frame, int outputWidth, int outputHeight,
                                 CompositeLayout layout)
    : layout_(layout), width_(outputWidth), height_(outputHeight) {
    switch (layout.format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVA420P:
        recordingFormat_ = AV_PIX_FMT_YUV420P;
        break;
    case AV_PIX_FMT_YUVA444P10LE:
        recordingFormat_ = AV_PIX_FMT_YUV444P10LE;
        depth_ = 10;
        break;
    default:
        throw AppError("Unable to allocate video buffers.");
    }
    base_ = makeFrame();
    base_->format = layout.format;
    base_->width = width_;
    base_->height = height_;
    base_->color_range = AVCOL_RANGE_MPEG;
    base_->color_primaries = AVCOL_PRI_BT709;
    base_->color_trc = AVCOL_TRC_BT709;
    base_->colorspace = AVCOL_SPC_BT709;
    throwOnFailure(av_frame_get_buffer(base_.get(), 0), "Unable to allocate video buffers.");
    prepare(frame);
}

void FrameCompositor::prepare(const LoadedFrame& frame) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(layout_.format);
    const bool hasAlpha = (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    TermsRule rule;
    rule.hasAlpha = hasAlpha;
    rule.premultiplied = layout_.premultiplied;
    rule.scale = (1 << depth_) / 256.0;
    for (double& value : rule.black) {
        value *= rule.scale;
    }

    const FrameAsset& asset = frame.asset();
    const Raster& bezel = frame.image();
    const auto& mask = frame.mask();
    recordingWidth_ = static_cast<int>(asset.screen.width);
    recordingHeight_ = static_cast<int>(asset.screen.height);
    const int chromaShiftX = descriptor->log2_chroma_w;
    const int chromaShiftY = descriptor->log2_chroma_h;

    planes_.resize(kPlanesOfColour);
    for (int p = 0; p < kPlanesOfColour; ++p) {
        Plane& plane = planes_[p];
        plane.shiftX = p == 0 ? 0 : chromaShiftX;
        plane.shiftY = p == 0 ? 0 : chromaShiftY;
        plane.width = AV_CEIL_RSHIFT(width_, plane.shiftX);
        plane.height = AV_CEIL_RSHIFT(height_, plane.shiftY);
        plane.originX = static_cast<int>(asset.screen.x >> plane.shiftX);
        plane.originY = static_cast<int>(asset.screen.y >> plane.shiftY);
        plane.rowStart.assign(1, 0);
    }

    const int groupRows = 1 << chromaShiftY;
    std::vector<std::vector<PixelTerms>> group(groupRows, std::vector<PixelTerms>(width_));
    std::vector<double> weights(width_);
    std::vector<double> constants(width_);

    // Writes one plane row into the base picture and records the samples that
    // depend on the recording.
    const auto emitRow = [&](int p, int y, int count) {
        Plane& plane = planes_[p];
        const int recordingY = y - plane.originY;
        const bool rowInside =
            recordingY >= 0 && recordingY < AV_CEIL_RSHIFT(recordingHeight_, plane.shiftY);
        const int recordingPlaneWidth = AV_CEIL_RSHIFT(recordingWidth_, plane.shiftX);
        for (int x = 0; x < count; ++x) {
            storeSample(*base_, p, x, y, depth_, constants[x]);
            const auto w = static_cast<std::uint32_t>(std::lround(weights[x] * kOne));
            const int recordingX = x - plane.originX;
            if (w == 0 || !rowInside || recordingX < 0 || recordingX >= recordingPlaneWidth) {
                continue;
            }
            const auto c =
                static_cast<std::uint32_t>(std::max(0L, std::lround(constants[x] * kOne)));
            const bool copy = w == 65536 && c == 0;
            Run* last = plane.runs.size() > plane.rowStart.back() ? &plane.runs.back() : nullptr;
            const bool extends =
                last != nullptr && last->x + last->length == x && (last->blend < 0) == copy;
            if (!extends) {
                plane.runs.push_back(
                    Run{x, 0, copy ? -1 : static_cast<std::int64_t>(plane.weights.size())});
                last = &plane.runs.back();
            }
            ++last->length;
            if (!copy) {
                plane.weights.push_back(w);
                plane.offsets.push_back(c + 32768);
            }
        }
        plane.rowStart.push_back(static_cast<std::uint32_t>(plane.runs.size()));
    };

    for (int top = 0; top < height_; top += groupRows) {
        const int rows = std::min(groupRows, height_ - top);
        for (int r = 0; r < rows; ++r) {
            const int y = top + r;
            for (int x = 0; x < width_; ++x) {
                double ab = 0, cr = 0, cg = 0, cb = 0, m = 0;
                if (x < bezel.width && y < bezel.height) {
                    const std::size_t index = static_cast<std::size_t>(y) * bezel.width + x;
                    const std::uint8_t* px = bezel.pixels.data() + index * 4;
                    cr = px[0] / 255.0;
                    cg = px[1] / 255.0;
                    cb = px[2] / 255.0;
                    ab = px[3] / 255.0;
                    m = mask[index] / 255.0;
                }
                group[r][x] = rule.terms(ab, cr, cg, cb, m);
            }
            for (int x = 0; x < width_; ++x) {
                weights[x] = group[r][x].w;
                constants[x] = group[r][x].c[0];
            }
            emitRow(0, y, width_);
            if (hasAlpha) {
                for (int x = 0; x < width_; ++x) {
                    storeSample(*base_, kAlphaPlane, x, y, depth_,
                                group[r][x].alpha * ((1 << depth_) - 1));
                }
            }
        }
        // Chroma samples take the mean of the pixels they cover.
        for (int p = 1; p < kPlanesOfColour; ++p) {
            const int count = planes_[p].width;
            const int spanX = 1 << planes_[p].shiftX;
            for (int cx = 0; cx < count; ++cx) {
                double w = 0, c = 0;
                int n = 0;
                for (int r = 0; r < rows; ++r) {
                    for (int dx = 0; dx < spanX && cx * spanX + dx < width_; ++dx) {
                        const PixelTerms& t = group[r][cx * spanX + dx];
                        w += t.w;
                        c += t.c[p];
                        ++n;
                    }
                }
                weights[cx] = w / n;
                constants[cx] = c / n;
            }
            emitRow(p, top >> planes_[p].shiftY, count);
        }
    }
}

AVFrame* FrameCompositor::writableOutput() {
    for (const auto& output : outputs_) {
        if (av_frame_is_writable(output.get())) {
            return output.get();
        }
    }
    FramePtr output = makeFrame();
    output->format = base_->format;
    output->width = width_;
    output->height = height_;
    throwOnFailure(av_frame_get_buffer(output.get(), 0), "Unable to allocate a video frame.");
    throwOnFailure(av_frame_copy(output.get(), base_.get()), "Unable to allocate a video frame.");
    throwOnFailure(av_frame_copy_props(output.get(), base_.get()),
                   "Unable to allocate a video frame.");
    outputs_.push_back(std::move(output));
    return outputs_.back().get();
}

template <typename Sample>
void FrameCompositor::composePlanes(const AVFrame& recording, AVFrame& output) {
    for (int p = 0; p < kPlanesOfColour; ++p) {
        const Plane& plane = planes_[p];
        for (int y = 0; y < plane.height; ++y) {
            const std::uint32_t first = plane.rowStart[y];
            const std::uint32_t end = plane.rowStart[y + 1];
            if (first == end) {
                continue;
            }
            const auto* source = reinterpret_cast<const Sample*>(
                recording.data[p] +
                static_cast<std::ptrdiff_t>(y - plane.originY) * recording.linesize[p]);
            auto* target = reinterpret_cast<Sample*>(
                output.data[p] + static_cast<std::ptrdiff_t>(y) * output.linesize[p]);
            for (std::uint32_t i = first; i < end; ++i) {
                const Run& run = plane.runs[i];
                const Sample* from = source + (run.x - plane.originX);
                Sample* to = target + run.x;
                if (run.blend < 0) {
                    std::memcpy(to, from, sizeof(Sample) * static_cast<std::size_t>(run.length));
                    continue;
                }
                const std::uint32_t* w = plane.weights.data() + run.blend;
                const std::uint32_t* c = plane.offsets.data() + run.blend;
                for (int k = 0; k < run.length; ++k) {
                    to[k] = static_cast<Sample>((from[k] * w[k] + c[k]) >> 16);
                }
            }
        }
    }
}

AVFrame* FrameCompositor::compose(const AVFrame& recording) {
    if (recording.format != recordingFormat_ || recording.width != recordingWidth_ ||
        recording.height != recordingHeight_) {
        throw AppError("Unable to decode a video frame.");
    }
    AVFrame* output = writableOutput();
    if (depth_ > 8) {
        composePlanes<std::uint16_t>(recording, *output);
    } else {
        composePlanes<std::uint8_t>(recording, *output);
    }
    return output;
}

} // namespace cadrelle
