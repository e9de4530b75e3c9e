#pragma once

#include "core/FileStamp.h"

#include <QObject>
#include <QPixmap>
#include <QSize>

#include <filesystem>
#include <memory>
#include <optional>

namespace cadrelle {

class PictureLoader;

// A picture read from a file, decoded off the main thread at the size it is
// shown at, and read again only when the file's size or modification date
// changed, so that the card can look for edits every second without decoding
// the same PNG each time. One read runs at a time; a request made meanwhile
// is taken up when it ends.
class StampedImage final : public QObject {
    Q_OBJECT

public:
    explicit StampedImage(std::shared_ptr<PictureLoader> loader, QObject* parent = nullptr);

    // Reads the file to fit `bounds` (device pixels) unless the picture
    // shown was read from it at those bounds and the file kept its stamp. An
    // unreadable file leaves no picture.
    void reload(const std::filesystem::path& file, QSize bounds, qreal devicePixelRatio);
    // Whether a read of this file at these bounds was asked for already.
    bool requested(const std::filesystem::path& file, QSize bounds) const;
    // The next reload reads the file whatever its stamp.
    void forget() { shown_.reset(); }
    const QPixmap& picture() const { return picture_; }
    // Whether a read runs or waits.
    bool busy() const { return running_ || next_; }

signals:
    // A read ended with a new picture (or none).
    void pictureChanged();

private:
    struct Shown {
        std::filesystem::path file;
        QSize bounds;
        std::optional<FileStamp> stamp;
    };
    struct Wanted {
        std::filesystem::path file;
        QSize bounds;
        qreal devicePixelRatio;
    };

    void start(const Wanted& wanted);

    std::shared_ptr<PictureLoader> loader_;
    QPixmap picture_;
    std::optional<Shown> shown_;
    std::optional<Wanted> running_;
    std::optional<Wanted> next_;
};

} // namespace cadrelle
