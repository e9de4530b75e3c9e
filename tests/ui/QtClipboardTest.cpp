#include "ui/QtClipboard.h"
#include "support/PngWriter.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

TEST(QtClipboard, OffersImagesAsPngAndFilesAsLocations) {
    test::TempDir dir;
    const auto png = dir / "framed shot.png";
    test::writeTestPng(png, test::RgbaImage(6, 4, 0x3366CCFF));
    QtClipboard ours;
    QClipboard& clipboard = *QApplication::clipboard();

    ASSERT_TRUE(ours.putImage(png));
    const QMimeData* data = clipboard.mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat(u"image/png"_s));
    std::ifstream file(png, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(data->data(u"image/png"_s).toStdString(), bytes) << "the framed PNG itself";
    EXPECT_EQ(clipboard.image().size(), QSize(6, 4));

    const auto recording = dir / "framed.mov";
    ours.putFile(recording);
    data = clipboard.mimeData();
    EXPECT_EQ(data->urls(),
              QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(recording.string()))});
    EXPECT_EQ(data->data(u"x-special/gnome-copied-files"_s).toStdString(),
              "copy\nfile://" + recording.string());

    ours.clear();
    const QMimeData* cleared = clipboard.mimeData();
    EXPECT_TRUE(cleared == nullptr || cleared->formats().isEmpty());
    EXPECT_FALSE(ours.putImage(dir / "missing.png"));
    test::writeText(dir / "not.png", "not a picture");
    EXPECT_FALSE(ours.putImage(dir / "not.png"));
}

} // namespace
} // namespace cadrelle
