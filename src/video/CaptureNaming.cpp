#include "CaptureNaming.h"

#include "core/FileIO.h"
#include "core/Sha256.h"

#include <QString>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cctype>

namespace cadrelle {

namespace {

bool isRecording(const std::filesystem::path& capture) {
    return lowercaseExtension(capture) == "mp4";
}

// The first `count` user-perceived characters (grapheme clusters), so that a
// cut never splits a letter from its accent or a multi-byte sequence.
std::string firstCharacters(const std::string& text, int count) {
    const QString string = QString::fromStdString(text);
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, string);
    qsizetype end = 0;
    for (int seen = 0; seen < count; ++seen) {
        const qsizetype next = boundaries.toNextBoundary();
        if (next < 0) {
            return text;
        }
        end = next;
    }
    return string.left(end).toStdString();
}

} // namespace

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
                             const std::string& extension) {
    return firstCharacters(capture.stem().string(), 120) + "-framed-" + identifier.substr(0, 16) +
           "." + extension;
}

} // namespace cadrelle
