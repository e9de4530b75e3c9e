#include "ui/MainView.h"
#include "WidgetQueries.h"
#include "model/ModelFixture.h"

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

using test::findButton;
using test::visibleTexts;

using MainViewTest = test::ModelFixture;

TEST_F(MainViewTest, ErrorBannerShowsTheModelsMessageUntilDismissed) {
    auto model = makeSetUpModel(false);
    MainView view(*model);
    EXPECT_FALSE(visibleTexts(view).contains(u"\u00D7"_s));
    model->setErrorMessage("The trash is full.");
    EXPECT_TRUE(visibleTexts(view).contains(u"The trash is full."_s));
    findButton(view, u"\u00D7"_s)->click();
    EXPECT_FALSE(model->errorMessage().has_value());
    EXPECT_FALSE(visibleTexts(view).contains(u"The trash is full."_s));
    EXPECT_FALSE(visibleTexts(view).contains(u"\u00D7"_s));
}

TEST_F(MainViewTest, ManualFramingShowsItsProgressWithCancel) {
    auto model = makeSetUpModel(false);
    MainView view(*model);
    EXPECT_FALSE(visibleTexts(view).contains(u"Cancel"_s));

    // Looked at each time the progress changes, after the view has followed.
    std::vector<QStringList> seen;
    bool cancelled = false;
    QObject::connect(&model->framing(), &ManualFraming::exportStatusChanged, &view, [&] {
        if (!model->framing().exportStatus() || !seen.empty()) {
            return;
        }
        seen.push_back(visibleTexts(view));
        findButton(view, u"Cancel"_s)->click();
        cancelled = model->framing().manualExportControl() &&
                    model->framing().manualExportControl()->isCancelled();
    });
    const auto shot = dir / "opened" / "shot.png";
    test::writeScreenshot(shot, 20, 30);
    model->frameManually({shot});
    ASSERT_TRUE(test::waitUntil([&] { return !model->framing().isWorking(); }));

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].contains(u"Preparing shot.png\u2026"_s));
    EXPECT_TRUE(seen[0].contains(u"Cancel"_s));
    EXPECT_TRUE(cancelled) << "Cancel stops the running job";
    const QStringList after = visibleTexts(view);
    EXPECT_FALSE(after.contains(u"Cancel"_s));
    EXPECT_FALSE(after.contains(u"Preparing shot.png\u2026"_s));
}

} // namespace
} // namespace cadrelle
