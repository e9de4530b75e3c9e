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
constexpr int kMaxTaps = 4;      // recording samples under one output sample

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

// The rounded mean of the recording samples under each output sample: the
// sample and its right neighbour, the one below, or all four.
template <typename Sample>
void meanOfTaps(const Sample* above, const Sample* below, Sample* to, int length, int tapsX,
                int tapsY) {
    if (tapsY == 1) {
        for (int k = 0; k < length; ++k) {
            to[k] = static_cast<Sample>((above[k] + above[k + 1] + 1) >> 1);
        }
    } else if (tapsX == 1) {
        for (int k = 0; k < length; ++k) {
            to[k] = static_cast<Sample>((above[k] + below[k] + 1) >> 1);
        }
    } else {
        for (int k = 0; k < length; ++k) {
            to[k] =
                static_cast<Sample>((above[k] + above[k + 1] + below[k] + below[k + 1] + 2) >> 2);
        }
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
    const int screenX = static_cast<int>(asset.screen.x);
    const int screenY = static_cast<int>(asset.screen.y);

    planes_.resize(kPlanesOfColour);
    for (int p = 0; p < kPlanesOfColour; ++p) {
        Plane& plane = planes_[p];
        plane.shiftX = p == 0 ? 0 : descriptor->log2_chroma_w;
        plane.shiftY = p == 0 ? 0 : descriptor->log2_chroma_h;
        plane.width = AV_CEIL_RSHIFT(width_, plane.shiftX);
        plane.height = AV_CEIL_RSHIFT(height_, plane.shiftY);
        // An opening that starts inside a chroma sample's span puts two
        // recording samples under each output sample along that axis.
        plane.originX = AV_CEIL_RSHIFT(screenX, plane.shiftX);
        plane.originY = AV_CEIL_RSHIFT(screenY, plane.shiftY);
        plane.tapsX = (screenX & ((1 << plane.shiftX) - 1)) != 0 ? 2 : 1;
        plane.tapsY = (screenY & ((1 << plane.shiftY) - 1)) != 0 ? 2 : 1;
        plane.sourceWidth = AV_CEIL_RSHIFT(recordingWidth_, plane.shiftX);
        plane.sourceHeight = AV_CEIL_RSHIFT(recordingHeight_, plane.shiftY);
        plane.rowStart.assign(1, 0);
    }

    const int groupRows = 1 << descriptor->log2_chroma_h;
    std::vector<std::vector<PixelTerms>> group(groupRows, std::vector<PixelTerms>(width_));
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
            if (hasAlpha) {
                for (int x = 0; x < width_; ++x) {
                    storeSample(*base_, kAlphaPlane, x, y, depth_,
                                group[r][x].alpha * ((1 << depth_) - 1));
                }
            }
        }
        // A sample takes the mean of the pixels it covers; each pixel adds its
        // weight to the recording sample that holds it.
        for (int p = 0; p < kPlanesOfColour; ++p) {
            Plane& plane = planes_[p];
            const int spanX = 1 << plane.shiftX;
            for (int first = 0; first < rows; first += 1 << plane.shiftY) {
                const int last = std::min(rows, first + (1 << plane.shiftY));
                const int y = (top + first) >> plane.shiftY;
                for (int x = 0; x < plane.width; ++x) {
                    double weights[kMaxTaps] = {};
                    double constant = 0;
                    int n = 0;
                    for (int r = first; r < last; ++r) {
                        const int ty = ((top + r - screenY) >> plane.shiftY) - (y - plane.originY);
                        for (int px = x * spanX; px < (x + 1) * spanX && px < width_; ++px) {
                            const int tx = ((px - screenX) >> plane.shiftX) - (x - plane.originX);
                            weights[ty * plane.tapsX + tx] += group[r][px].w;
                            constant += group[r][px].c[p];
                            ++n;
                        }
                    }
                    for (double& weight : weights) {
                        weight /= n;
                    }
                    constant /= n;
                    storeSample(*base_, p, x, y, depth_, constant);
                    addSample(plane, x, y, weights, constant);
                }
                plane.rowStart.push_back(static_cast<std::uint32_t>(plane.runs.size()));
            }
        }
    }
}

void FrameCompositor::addSample(Plane& plane, int x, int y, const double* weights,
                                double constant) {
    const int taps = plane.tapsX * plane.tapsY;
    std::uint32_t fixed[kMaxTaps] = {};
    bool any = false;
    bool inside = true;
    bool even = true;
    for (int t = 0; t < taps; ++t) {
        const int column = x - plane.originX + t % plane.tapsX;
        const int row = y - plane.originY + t / plane.tapsX;
        const bool tapInside =
            column >= 0 && column < plane.sourceWidth && row >= 0 && row < plane.sourceHeight;
        // Only pixels of the opening show the recording, and they all lie
        // inside it; a tap outside carries no weight.
        fixed[t] = tapInside ? static_cast<std::uint32_t>(std::lround(weights[t] * kOne)) : 0;
        any = any || fixed[t] != 0;
        inside = inside && tapInside;
        even = even && fixed[t] == 65536u / taps;
    }
    if (!any) {
        return;
    }
    const auto c = static_cast<std::uint32_t>(std::max(0L, std::lround(constant * kOne)));
    const std::int64_t kind = c != 0 || !inside || !even
                                  ? static_cast<std::int64_t>(plane.offsets.size())
                              : taps == 1 ? kCopy
                                          : kMean;
    Run* last = plane.runs.size() > plane.rowStart.back() ? &plane.runs.back() : nullptr;
    const bool extends = last != nullptr && last->x + last->length == x &&
                         (kind >= 0 ? last->blend >= 0 : last->blend == kind);
    if (!extends) {
        plane.runs.push_back(Run{x, 0, kind});
        last = &plane.runs.back();
    }
    ++last->length;
    if (kind >= 0) {
        plane.weights.insert(plane.weights.end(), fixed, fixed + taps);
        plane.offsets.push_back(c + 32768);
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
void FrameCompositor::composePlane(const Plane& plane, const std::uint8_t* recording, int stride,
                                   std::uint8_t* output, int outputStride) {
    const int taps = plane.tapsX * plane.tapsY;
    const int lastColumn = plane.sourceWidth - 1;
    for (int y = 0; y < plane.height; ++y) {
        const std::uint32_t first = plane.rowStart[y];
        const std::uint32_t end = plane.rowStart[y + 1];
        if (first == end) {
            continue;
        }
        // The rows under this one; a row outside the recording is only ever
        // read with weight 0, so it stands in for a neighbour that exists.
        const int top = std::clamp(y - plane.originY, 0, plane.sourceHeight - 1);
        const int bottom =
            std::clamp(y - plane.originY + plane.tapsY - 1, 0, plane.sourceHeight - 1);
        const auto* above =
            reinterpret_cast<const Sample*>(recording + static_cast<std::ptrdiff_t>(top) * stride);
        const auto* below = reinterpret_cast<const Sample*>(
            recording + static_cast<std::ptrdiff_t>(bottom) * stride);
        auto* target =
            reinterpret_cast<Sample*>(output + static_cast<std::ptrdiff_t>(y) * outputStride);
        for (std::uint32_t i = first; i < end; ++i) {
            const Run& run = plane.runs[i];
            const int from = run.x - plane.originX;
            Sample* to = target + run.x;
            if (run.blend == kCopy) {
                std::memcpy(to, above + from,
                            sizeof(Sample) * static_cast<std::size_t>(run.length));
            } else if (run.blend == kMean) {
                meanOfTaps(above + from, below + from, to, run.length, plane.tapsX, plane.tapsY);
            } else if (taps == 1) {
                const std::uint32_t* w = plane.weights.data() + run.blend;
                const std::uint32_t* c = plane.offsets.data() + run.blend;
                const Sample* source = above + from;
                for (int k = 0; k < run.length; ++k) {
                    to[k] = static_cast<Sample>((source[k] * w[k] + c[k]) >> 16);
                }
            } else {
                const std::uint32_t* w = plane.weights.data() + run.blend * taps;
                const std::uint32_t* c = plane.offsets.data() + run.blend;
                for (int k = 0; k < run.length; ++k, w += taps) {
                    // Columns outside the recording carry weight 0 too.
                    const int left = std::clamp(from + k, 0, lastColumn);
                    const int right = std::clamp(from + k + plane.tapsX - 1, 0, lastColumn);
                    std::uint32_t sum = c[k] + above[left] * w[0];
                    if (plane.tapsX == 2) {
                        sum += above[right] * w[1];
                    }
                    if (plane.tapsY == 2) {
                        sum += below[left] * w[plane.tapsX];
                        if (plane.tapsX == 2) {
                            sum += below[right] * w[3];
                        }
                    }
                    to[k] = static_cast<Sample>(sum >> 16);
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
    for (int p = 0; p < kPlanesOfColour; ++p) {
        if (depth_ > 8) {
            composePlane<std::uint16_t>(planes_[p], recording.data[p], recording.linesize[p],
                                        output->data[p], output->linesize[p]);
        } else {
            composePlane<std::uint8_t>(planes_[p], recording.data[p], recording.linesize[p],
                                       output->data[p], output->linesize[p]);
        }
    }
    return output;
}

} // namespace cadrelle
