#include "CaptureNaming.h"

#include "core/FileIO.h"
#include "core/FirstCharacters.h"
#include "core/Sha256.h"

#include <limits>

namespace cadrelle {

bool isRecording(const std::filesystem::path& capture) {
    return lowercaseExtension(capture) == "mp4";
}

bool isScreenshot(const std::filesystem::path& capture) {
    return lowercaseExtension(capture) == "png";
}

bool isFramedVideo(const std::filesystem::path& output) {
    const std::string kind = lowercaseExtension(output);
    return kind == extension(VideoExportFormat::mp4) || mayBeTransparentVideo(output);
}

bool mayBeTransparentVideo(const std::filesystem::path& output) {
    return lowercaseExtension(output) == extension(VideoExportFormat::hevcAlpha);
}

std::string captureFingerprint(const std::filesystem::path& capture, const std::string& frameID,
                               const CaptureExportControl& control) {
    Sha256 hash;
    hash.update(capture.string() + frameID);
    hashFile(hash, capture, &control);
    return hash.finishHex();
}

std::string captureIdentifier(const std::filesystem::path& capture, const std::string& fingerprint,
                              VideoExportFormat format) {
    return isRecording(capture) ? cadrelle::fingerprint(format, fingerprint) : fingerprint;
}

std::string framedExtension(const std::filesystem::path& capture, VideoExportFormat format) {
    return isRecording(capture) ? extension(format) : "png";
}

std::string framedOutputName(const std::filesystem::path& capture, const std::string& identifier,
                             const std::string& extension, std::size_t identifierLength) {
    return fittedFileName(
        firstCharacters(capture.stem().string(), 120),
        "-framed-" + firstCharacters(identifier, static_cast<qsizetype>(identifierLength)) + "." +
            extension);
}

std::string fittedFileName(const std::string& stem, const std::string& suffix) {
    const std::size_t room =
        suffix.size() < kMaxFileNameBytes ? kMaxFileNameBytes - suffix.size() : 0;
    return firstCharacters(stem, std::numeric_limits<qsizetype>::max(), room) + suffix;
}

} // namespace cadrelle
