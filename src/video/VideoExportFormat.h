#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace cadrelle {

// The three ways a framed recording can be encoded.
enum class VideoExportFormat { mp4, hevcAlpha, proRes4444 };

inline constexpr std::array<VideoExportFormat, 3> kAllVideoExportFormats = {
    VideoExportFormat::mp4, VideoExportFormat::hevcAlpha, VideoExportFormat::proRes4444};

// "mp4", "hevc-alpha", "prores-4444"; also the format's id.
std::string rawValue(VideoExportFormat format);
// Exactly one of the raw values, else none.
std::optional<VideoExportFormat> videoExportFormatFromRaw(std::string_view text);
// "MP4 · Black background", "MOV · Transparent (HEVC)", "MOV · Transparent (ProRes 4444)".
std::string title(VideoExportFormat format);
// "mp4" or "mov".
std::string extension(VideoExportFormat format);
// True for the MOV formats, whose background outside the device is transparent.
bool hasAlpha(VideoExportFormat format);
// The base text for mp4; otherwise SHA-256 hex of base + ":" + raw value.
std::string fingerprint(VideoExportFormat format, const std::string& base);
// Average bit rate: clamped frame rate × width × height × 0.12, within 4–40 Mbit/s.
long long averageBitRate(double nominalFrameRate, long long width, long long height);
// The recording's nominal rate limited to 30…120; a non-finite rate counts as 30.
double clampedFrameRate(double nominalFrameRate);

} // namespace cadrelle
