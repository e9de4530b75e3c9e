#pragma once

#include "core/CaptureExportControl.h"
#include "video/VideoExportFormat.h"

#include <filesystem>
#include <string>

namespace cadrelle {

// Whether a capture is a recording: its lower-cased extension is "mp4".
// Every other capture is treated as a screenshot.
bool isRecording(const std::filesystem::path& capture);
// Whether a capture is a screenshot: its lower-cased extension is "png".
bool isScreenshot(const std::filesystem::path& capture);

// Whether a framed output is a video: its lower-cased extension is "mp4"
// or "mov" (the extensions of the video export formats).
bool isFramedVideo(const std::filesystem::path& output);
// Whether a framed video may have transparent pixels: a "mov", the
// container of the transparent formats; an "mp4" is always opaque.
bool mayBeTransparentVideo(const std::filesystem::path& output);

// The capture fingerprint: SHA-256 over the UTF-8 bytes of the capture's
// path immediately followed by the frame id, then over the file's bytes in
// 1 MiB chunks (checking `control` before each chunk), as 64 lower-case hex
// digits. It changes when the file's content, its path or the frame changes.
// Throws FileError or Cancelled.
std::string captureFingerprint(const std::filesystem::path& capture, const std::string& frameID,
                               const CaptureExportControl& control);

// The identifier a framed output is named by: the capture fingerprint for
// screenshots and MP4 recordings, the format's own fingerprint of it for the
// MOV formats.
std::string captureIdentifier(const std::filesystem::path& capture, const std::string& fingerprint,
                              VideoExportFormat format);

// The extension of a framed output: "png" for screenshots, the format's
// extension ("mp4" or "mov") for recordings.
std::string framedExtension(const std::filesystem::path& capture, VideoExportFormat format);

// The framed output's file name: the capture's name without its extension
// cut to 120 characters, "-framed-", the first `identifierLength` characters
// of the identifier (16 for fingerprints), ".", the extension. The name part
// is cut further when the whole would not fit in a file name (see below);
// bytes of the capture's name that are not UTF-8 become U+FFFD.
std::string framedOutputName(const std::filesystem::path& capture, const std::string& identifier,
                             const std::string& extension, std::size_t identifierLength = 16);

// The longest file name Linux file systems take, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// `stem` followed by `suffix`, the stem cut after a whole character so that
// the name takes at most kMaxFileNameBytes bytes of UTF-8.
std::string fittedFileName(const std::string& stem, const std::string& suffix);

} // namespace cadrelle
