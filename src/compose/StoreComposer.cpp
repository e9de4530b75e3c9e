#include "StoreComposer.h"

#include "core/AppError.h"
#include "core/FileError.h"
#include "frames/Compositor.h"
#include "frames/FrameSelection.h"
#include "frames/Raster.h"

#include <fnmatch.h>

#include <algorithm>

namespace cadrelle {

namespace {

namespace fs = std::filesystem;

FramingSetup framingSetup(const fs::path& library) {
    FramingSetup setup;
    setup.library.directory = library;
    setup.assets = setup.library.load();
    return setup;
}

// Hands a decoded raster to a QImage without copying its pixels.
QImage imageOf(Raster raster) {
    auto* owned = new Raster(std::move(raster));
    return QImage(
        owned->pixels.data(), static_cast<int>(owned->width), static_cast<int>(owned->height),
        static_cast<qsizetype>(owned->width * 4), QImage::Format_RGBA8888_Premultiplied,
        [](void* held) { delete static_cast<Raster*>(held); }, owned);
}

} // namespace

StoreComposer::StoreComposer(Composition composition, const fs::path& frameLibrary)
    : composition_(std::move(composition)), renderer_(composition_),
      framer_(framingSetup(frameLibrary)) {}

fs::path StoreComposer::findCapture(const Locale& locale, const Screen& screen) const {
    std::vector<fs::path> matches;
    std::error_code error;
    for (fs::directory_iterator it(locale.captures, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (fnmatch(screen.capture.c_str(), name.c_str(), FNM_PERIOD) == 0 &&
            it->is_regular_file()) {
            matches.push_back(it->path());
        }
    }
    if (error) {
        throw FileError(locale.captures, error.value());
    }
    if (matches.empty()) {
        throw AppError("No capture in " + locale.captures.string() + " matches \"" +
                       screen.capture + "\".");
    }
    return *std::min_element(matches.begin(), matches.end());
}

QImage StoreComposer::framedCapture(const fs::path& capture, const CaptureExportControl& control) {
    control.checkCancelled();
    Raster raster = Raster::load(capture);
    if (raster.alphaAt(0) < 255) {
        return imageOf(std::move(raster));
    }
    const FrameAsset asset = selectFrame({raster.width, raster.height}, capture.filename().string(),
                                         framer_.setup().assets, std::nullopt, true);
    const auto frame = framer_.loadedFrame(asset);
    control.checkCancelled();
    return imageOf(frameScreenshot(raster, *frame));
}

CaptionTexts StoreComposer::texts(const Locale& locale, const LocaleStrings& strings,
                                  const Screen& screen) {
    CaptionTexts texts;
    texts.locale = locale.name;
    texts.titleKey = screen.title;
    texts.title = QString::fromStdString(strings.text(screen.title));
    if (screen.subtitle) {
        texts.subtitleKey = *screen.subtitle;
        texts.subtitle = QString::fromStdString(strings.text(*screen.subtitle));
    }
    return texts;
}

} // namespace cadrelle
