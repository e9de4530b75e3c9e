#pragma once

#include "compose/Composition.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <string>

namespace cadrelle {

// The texts of one store image, with what names them in errors.
struct CaptionTexts {
    std::string locale;
    std::string titleKey;
    QString title; // "**" marks the highlighted span
    std::string subtitleKey;
    QString subtitle; // empty: no subtitle
};

// Draws store images of one composition: the background, the caption and
// the framed device placed and scaled for each size. Made on the thread of
// the application object (fonts from files are registered there); render()
// may then run on several threads at once.
class StoreImageRenderer {
public:
    // Resolves the fonts and loads the background image. Throws "The font
    // "<family>" isn't installed.", "<file>: The font file can't be read.",
    // or the background image's load error.
    explicit StoreImageRenderer(const Composition& composition);

    // The store image of `size` for a framed capture (premultiplied ARGB;
    // one wider than it is high gets the landscape size): opaque RGB32 of
    // exactly the size. Throws when a text doesn't fit even at its smallest
    // size: "The <locale> text "<key>" doesn't fit …".
    QImage render(const StoreSize& size, const QImage& device, const CaptionTexts& texts) const;

private:
    void paintBackground(QImage& canvas) const;

    Composition composition_;
    QFont titleFont_;
    QFont subtitleFont_;
    QImage backgroundImage_; // premultiplied; null unless the background is an image
};

} // namespace cadrelle
