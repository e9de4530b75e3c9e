#pragma once

#include "core/FileStamp.h"

#include <QPixmap>

#include <filesystem>
#include <optional>

namespace cadrelle {

// A picture read from a file that is read again only when the file's size or
// modification date changed, so that the card can look for edits every
// second without decoding the same PNG each time.
class StampedImage final {
public:
    // Reads the file unless its stamp is the one of the picture shown. An
    // unreadable file leaves no picture.
    void reload(const std::filesystem::path& file);
    // The next reload reads the file whatever its stamp.
    void forget() { stamp_.reset(); }
    const QPixmap& picture() const { return picture_; }

private:
    QPixmap picture_;
    std::optional<FileStamp> stamp_;
};

} // namespace cadrelle
