#pragma once

#include "capture/CaptureFramer.h"
#include "compose/Composition.h"
#include "compose/LocaleStrings.h"
#include "compose/StoreImageRenderer.h"
#include "core/CaptureExportControl.h"

#include <QImage>

#include <filesystem>
#include <memory>

namespace cadrelle {

// Makes the store images of one composition: finds each screen's capture,
// frames it when it is not framed yet (with the usual frame selection among
// the library's frames) and renders it for each size. Made on the thread of
// the application object; the other calls may run on several threads.
class StoreComposer {
public:
    // Throws for what spoils every image: fonts and the background image.
    StoreComposer(Composition composition, const std::filesystem::path& frameLibrary);

    const Composition& composition() const { return composition_; }

    // The capture of `screen` in the locale's captures folder: the first file,
    // by name, that matches the screen's pattern. Throws "No capture in
    // <folder> matches "<pattern>"."
    std::filesystem::path findCapture(const Locale& locale, const Screen& screen) const;

    // The capture decoded, and framed unless it already has transparent
    // corners (a framed capture does; a screenshot is opaque). A screenshot
    // no frame fits throws "Import a frame for W × H captures.".
    QImage framedCapture(const std::filesystem::path& capture, const CaptureExportControl& control);

    // The screen's texts in the locale; a missing key throws.
    static CaptionTexts texts(const Locale& locale, const LocaleStrings& strings,
                              const Screen& screen);

    QImage render(const StoreSize& size, const QImage& device, const CaptionTexts& texts) const {
        return renderer_.render(size, device, texts);
    }

private:
    Composition composition_;
    StoreImageRenderer renderer_;
    CaptureFramer framer_;
};

} // namespace cadrelle
