#include "ui/PreviewWindow.h"
#include "WidgetQueries.h"
#include "model/ModelFixture.h"
#include "ui/CapturePreview.h"
#include "ui/FittedImage.h"

#include <QScreen>
#include <QSignalSpy>

#include <sys/stat.h>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

using test::findButton;
using test::visibleTexts;

using PreviewWindowTest = test::ModelFixture;

TEST_F(PreviewWindowTest, ShowsTheSelectedScreenshotInItsOwnWindow) {
    auto model = makeModel();
    PreviewWindow window(*model);
    EXPECT_EQ(window.windowTitle(), u"Cadrelle Preview"_s);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(visibleTexts(window).isEmpty()) << "nothing without captures";

    window.showAndRaise();
    EXPECT_EQ(window.geometry(), QRect(435, 90, 570, 720)) << "centred on 1440 × 900";
    window.move(20, 30);
    window.close();
    EXPECT_FALSE(window.isVisible());
    window.showAndRaise();
    EXPECT_EQ(window.pos(), QPoint(20, 30)) << "shown again where it was";

    const auto framed = output / "shot-framed.png";
    test::writeScreenshot(framed, 40, 80);
    QSignalSpy loaded(window.findChild<CapturePreview*>(), &CapturePreview::pictureLoaded);
    model->remember(
        {"id-1", 0, (input / "shot.png").string(), framed.string(), "Test Phone \u00B7 Portrait"});
    ASSERT_TRUE(loaded.wait());
    const QStringList texts = visibleTexts(window);
    EXPECT_TRUE(texts.contains(u"Test Phone \u00B7 Portrait"_s));
    EXPECT_TRUE(texts.contains(u"Copy Image"_s));
    const auto* image = window.findChild<FittedImage*>();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->picture().size(), QSize(40, 80));
    ASSERT_FALSE(image->pixmap().isNull());
    EXPECT_EQ(image->pixmap().height(), image->contentsRect().height()) << "scaled to fit";
    EXPECT_EQ(image->pixmap().width(), image->pixmap().height() / 2) << "in proportion";

    findButton(window, u"Copy Image"_s)->click();
    EXPECT_EQ(clipboard->contents, std::vector<std::string>{"image:" + framed.string()});
}

TEST_F(PreviewWindowTest, APictureIsReadOffTheMainThreadNoLargerThanTheScreen) {
    auto model = makeModel();
    PreviewWindow window(*model);
    window.showAndRaise();
    const auto* preview = window.findChild<CapturePreview*>();
    const auto* image = window.findChild<FittedImage*>();
    QSignalSpy loaded(preview, &CapturePreview::pictureLoaded);

    // A pipe named as the latest capture would make a reader wait for a
    // writer forever: nothing is shown, and the window goes on.
    const auto pipe = output / "pipe-framed.png";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    model->remember({"id-1", 0, (input / "a.png").string(), pipe.string(), "Test Phone"});
    ASSERT_TRUE(loaded.wait());
    EXPECT_TRUE(image->picture().isNull());
    EXPECT_TRUE(visibleTexts(window).contains(u"Copy Image"_s));

    // A picture larger than the screen is kept at the screen's size.
    const QSize screen = window.screen()->availableSize() * window.screen()->devicePixelRatio();
    const auto large = output / "large-framed.png";
    test::writeScreenshot(large, 500, screen.height() * 2);
    model->remember({"id-2", 0, (input / "b.png").string(), large.string(), "Test Phone"});
    ASSERT_TRUE(loaded.wait());
    EXPECT_EQ(image->picture().height(), screen.height());
    EXPECT_EQ(image->picture().width(), 250);
}

} // namespace
} // namespace cadrelle
