#include "VideoExportFormat.h"

#include "core/Sha256.h"

#include <algorithm>
#include <cmath>

namespace cadrelle {

std::string rawValue(VideoExportFormat format) {
    switch (format) {
    case VideoExportFormat::mp4:
        return "mp4";
    case VideoExportFormat::hevcAlpha:
        return "hevc-alpha";
    case VideoExportFormat::proRes4444:
        return "prores-4444";
    }
    return "mp4";
}

std::optional<VideoExportFormat> videoExportFormatFromRaw(std::string_view text) {
    for (const auto format : kAllVideoExportFormats) {
        if (rawValue(format) == text) {
            return format;
        }
    }
    return std::nullopt;
}

std::string title(VideoExportFormat format) {
    switch (format) {
    case VideoExportFormat::mp4:
        return "MP4 \u00B7 Black background";
    case VideoExportFormat::hevcAlpha:
        return "MOV \u00B7 Transparent (HEVC)";
    case VideoExportFormat::proRes4444:
        return "MOV \u00B7 Transparent (ProRes 4444)";
    }
    return {};
}

std::string extension(VideoExportFormat format) {
    return format == VideoExportFormat::mp4 ? "mp4" : "mov";
}

bool hasAlpha(VideoExportFormat format) {
    return format != VideoExportFormat::mp4;
}

std::string fingerprint(VideoExportFormat format, const std::string& base) {
    if (format == VideoExportFormat::mp4) {
        return base;
    }
    Sha256 hash;
    hash.update(base + ":" + rawValue(format));
    return hash.finishHex();
}

double clampedFrameRate(double nominalFrameRate) {
    if (!std::isfinite(nominalFrameRate)) {
        return 30;
    }
    return std::clamp(nominalFrameRate, 30.0, 120.0);
}

long long averageBitRate(double nominalFrameRate, long long width, long long height) {
    const double rate = clampedFrameRate(nominalFrameRate) * static_cast<double>(width) *
                        static_cast<double>(height) * 0.12;
    return static_cast<long long>(std::clamp(rate, 4'000'000.0, 40'000'000.0));
}

} // namespace cadrelle
