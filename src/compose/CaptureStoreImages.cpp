#include "CaptureStoreImages.h"

#include "compose/CompositionReader.h"
#include "compose/RgbPngWriter.h"
#include "compose/StoreComposer.h"
#include "core/AppError.h"
#include "core/FileError.h"
#include "core/FileIO.h"
#include "core/Sha256.h"

#include <fnmatch.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace cadrelle {

namespace {

namespace fs = std::filesystem;

const Screen& screenFor(const Composition& composition, const std::string& captureName) {
    const auto found = std::find_if(
        composition.screens.begin(), composition.screens.end(), [&](const Screen& screen) {
            return fnmatch(screen.capture.c_str(), captureName.c_str(), FNM_PERIOD) == 0;
        });
    return found != composition.screens.end() ? *found : composition.screens.front();
}

struct Prepared {
    QImage device;
    CaptionTexts texts;
};

Prepared prepare(StoreComposer& composer, const fs::path& framed, const std::string& captureName) {
    const Composition& composition = composer.composition();
    const Locale& locale = composition.locales.front();
    const Screen& screen = screenFor(composition, captureName);
    Prepared prepared;
    prepared.texts =
        StoreComposer::texts(locale, LocaleStrings(locale.name, locale.strings), screen);
    prepared.device = composer.framedCapture(framed, CaptureExportControl());
    return prepared;
}

} // namespace

CaptureStoreImages::CaptureStoreImages(const fs::path& composition) : composition_(composition) {}

QImage CaptureStoreImages::preview(const fs::path& framed, const std::string& captureName,
                                   int height) const {
    // The framed capture is used as it is: no frames are needed.
    StoreComposer composer(readComposition(composition_), {});
    const Prepared prepared = prepare(composer, framed, captureName);
    StoreSize size = composer.composition().sizes.front();
    const bool landscape = prepared.device.width() > prepared.device.height();
    const double scale = static_cast<double>(height) / size.canvasHeight(landscape);
    size.width = std::max<std::int64_t>(1, std::lround(size.width * scale));
    size.height = std::max<std::int64_t>(1, std::lround(size.height * scale));
    return composer.render(size, prepared.device, prepared.texts);
}

std::vector<fs::path> CaptureStoreImages::save(const fs::path& framed,
                                               const std::string& captureName,
                                               const fs::path& folder) const {
    StoreComposer composer(readComposition(composition_), {});
    const Prepared prepared = prepare(composer, framed, captureName);
    std::vector<fs::path> written;
    for (const StoreSize& size : composer.composition().sizes) {
        const auto png = encodeRgbPng(composer.render(size, prepared.device, prepared.texts));
        const fs::path path = folder / (framed.stem().string() + "-" + size.name + "-" +
                                        sha256(png).substr(0, 8) + ".png");
        try {
            writeExclusive(png, path);
        } catch (const FileError& error) {
            // The same bytes saved before.
            if (error.code() != std::errc::file_exists) {
                throw;
            }
        }
        written.push_back(path);
    }
    return written;
}

} // namespace cadrelle
