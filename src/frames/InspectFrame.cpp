#include "InspectFrame.h"

#include "ScreenOpening.h"

#include "core/AppError.h"
#include "core/Sha256.h"

#include <QByteArrayView>

#include <string_view>

namespace cadrelle {

namespace {

const char* const kNameNotText =
    "The frame's file name is not valid UTF-8 text. Rename the file and try again.";

std::vector<std::string> splitOnSeparator(const std::string& text) {
    constexpr std::string_view separator = " - ";
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto found = text.find(separator, start);
        if (found == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, found - start));
        start = found + separator.size();
    }
}

} // namespace

FrameInspection inspectFrameWithImage(const std::filesystem::path& path) {
    // The record's names come from the file name and are stored and printed
    // as JSON text, which must be UTF-8.
    const std::string stem = path.stem().string();
    if (!QByteArrayView(stem.data(), static_cast<qsizetype>(stem.size())).isValidUtf8()) {
        throw AppError(kNameNotText);
    }
    // One read: the digest is taken from exactly the bytes that were decoded.
    const auto bytes = Raster::readFile(path);
    FrameInspection inspection{{}, Raster::decode(bytes), {}};
    ScreenOpening opening = screenOpening(inspection.image);
    const std::string digest = sha256(bytes);

    FrameAsset& asset = inspection.asset;
    const auto parts = splitOnSeparator(stem);
    asset.model = parts[0];
    if (parts.size() >= 3) {
        asset.color = parts[1];
        asset.name = asset.model + " \u2014 " + asset.color;
    } else {
        asset.color = "Default";
        asset.name = stem;
    }
    asset.id = digest;
    asset.file = digest + ".png";
    asset.screen = opening.rect;
    asset.pixelWidth = inspection.image.width;
    asset.pixelHeight = inspection.image.height;
    asset.digest = digest;
    inspection.mask = std::move(opening.mask);
    return inspection;
}

FrameAsset inspectFrame(const std::filesystem::path& path) {
    return std::move(inspectFrameWithImage(path).asset);
}

} // namespace cadrelle
