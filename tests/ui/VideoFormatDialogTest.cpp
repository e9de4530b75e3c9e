#include "ui/VideoFormatDialog.h"
#include "WidgetQueries.h"
#include "ui/QtVideoFormatPresenter.h"
#include "ui/VideoFormatRow.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

using test::findButton;
using test::visibleTexts;

// The presenter with the answers it gave.
struct Asked {
    QtVideoFormatPresenter presenter;
    std::vector<std::optional<VideoExportFormat>> answers;

    VideoFormatDialog& ask(const std::vector<std::string>& files) {
        presenter.present(files, [this](auto format) { answers.push_back(format); });
        return *presenter.dialog();
    }
};

VideoFormatRow* row(const VideoFormatDialog& dialog, VideoExportFormat format) {
    for (auto* candidate : dialog.findChildren<VideoFormatRow*>()) {
        if (candidate->format() == format) {
            return candidate;
        }
    }
    return nullptr;
}

TEST(VideoFormatDialog, ShowsTheChoicesAtAFixedSize) {
    Asked asked;
    VideoFormatDialog& dialog = asked.ask({"Simulator Screen Recording - 10.00.00.mp4"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), u"Video export"_s);
    EXPECT_EQ(dialog.size(), QSize(540, 435));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "cannot be resized";
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(dialog.geometry().topLeft(), QPoint(450, 233)) << "centred on 1440 × 900";
    EXPECT_EQ(
        visibleTexts(dialog),
        QStringList({u"Choose a video format"_s, u"Simulator Screen Recording - 10.00.00.mp4"_s,
                     u"MP4 \u00B7 Black background"_s,
                     u"Works in most apps and players. No transparency."_s,
                     u"MOV \u00B7 Transparent (HEVC)"_s,
                     u"Smaller transparent files for compatible Apple apps and Safari."_s,
                     u"MOV \u00B7 Transparent (ProRes 4444)"_s,
                     u"Transparent files for video editing. Much larger file sizes."_s,
                     u"Transparent MOVs keep the area outside the device clear. The app you "_s
                     u"use them in must support video transparency."_s,
                     u"Cancel"_s, u"Export Video"_s}));
    for (const VideoExportFormat format : kAllVideoExportFormats) {
        const bool initial = format == VideoExportFormat::hevcAlpha;
        EXPECT_EQ(row(dialog, format)->accessibleDescription(),
                  initial ? u"Selected"_s : u"Not selected"_s);
        EXPECT_EQ(row(dialog, format)->accessibleName(), QString::fromStdString(title(format)));
    }
    asked.presenter.dismiss();

    EXPECT_EQ(asked.ask({"a.mp4", "b.mp4", "c.mp4"}).subtitle(),
              u"Apply this format to 3 recordings."_s);
    // A name too long for two lines loses its middle, never its ends.
    const std::string longName =
        "Simulator Screen Recording - " + std::string(200, 'x') + " - 2024-05-01 at 10.00.00.mp4";
    QString shown;
    for (const QLabel* label : asked.ask({longName}).findChildren<QLabel*>()) {
        if (label->accessibleName() == QString::fromStdString(longName)) {
            shown = label->text();
        }
    }
    EXPECT_EQ(shown.count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(shown.startsWith(u"Simulator Screen Recording - xx"_s));
    EXPECT_TRUE(shown.endsWith(u"at 10.00.00.mp4"_s));
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_TRUE(asked.answers.empty()) << "dismissing answers nothing";
}

TEST(VideoFormatDialog, AnswersWithTheSelectionOrWithNothing) {
    Asked asked;
    // Return gives the initial format even while a row has the focus.
    VideoFormatDialog* dialog = &asked.ask({"a.mp4"});
    row(*dialog, VideoExportFormat::mp4)->setFocus();
    QTest::keyClick(row(*dialog, VideoExportFormat::mp4), Qt::Key_Return);
    // Choosing ProRes, then Return.
    dialog = &asked.ask({"b.mp4"});
    row(*dialog, VideoExportFormat::proRes4444)->click();
    EXPECT_EQ(row(*dialog, VideoExportFormat::proRes4444)->accessibleDescription(), u"Selected"_s);
    EXPECT_EQ(row(*dialog, VideoExportFormat::hevcAlpha)->accessibleDescription(),
              u"Not selected"_s);
    QTest::keyClick(row(*dialog, VideoExportFormat::proRes4444), Qt::Key_Return);
    // The next dialog starts over at HEVC; Escape declines.
    dialog = &asked.ask({"c.mp4"});
    EXPECT_EQ(dialog->selection(), VideoExportFormat::hevcAlpha);
    QTest::keyClick(dialog, Qt::Key_Escape);
    // So do the close button and Cancel.
    asked.ask({"d.mp4"}).close();
    findButton(asked.ask({"e.mp4"}), u"Cancel"_s)->click();
    // "Export Video" takes the selection.
    dialog = &asked.ask({"f.mp4"});
    row(*dialog, VideoExportFormat::mp4)->click();
    findButton(*dialog, u"Export Video"_s)->click();

    EXPECT_EQ(asked.answers,
              (std::vector<std::optional<VideoExportFormat>>{
                  VideoExportFormat::hevcAlpha, VideoExportFormat::proRes4444, std::nullopt,
                  std::nullopt, std::nullopt, VideoExportFormat::mp4}));
    EXPECT_EQ(asked.presenter.dialog(), nullptr);
    EXPECT_EQ(test::topLevel<VideoFormatDialog>(), nullptr) << "every dialog is closed";
}

} // namespace
} // namespace cadrelle
