#include "QtClipboard.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>

namespace cadrelle {

void QtClipboard::clear() {
    QGuiApplication::clipboard()->clear();
}

bool QtClipboard::putImage(const std::filesystem::path& png) {
    QFile file(QFile::decodeName(png.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    QImage image;
    if (!image.loadFromData(bytes, "PNG")) {
        return false;
    }
    auto* data = new QMimeData;
    // The file's own bytes as "image/png", so pasting gives exactly the
    // framed PNG; the decoded image lets Qt offer the other image types.
    data->setImageData(image);
    data->setData(QStringLiteral("image/png"), bytes);
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

void QtClipboard::putFile(const std::filesystem::path& file) {
    const QUrl url = QUrl::fromLocalFile(QFile::decodeName(file.c_str()));
    auto* data = new QMimeData;
    data->setUrls({url});
    // GNOME's file managers (and those that follow them) paste this as a copy.
    data->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + url.toEncoded());
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace cadrelle
