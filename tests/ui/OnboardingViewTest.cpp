#include "ui/OnboardingView.h"
#include "WidgetQueries.h"
#include "model/ModelFixture.h"

#include <QSignalSpy>

#include <cstdlib>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

using test::findButton;
using test::visibleTexts;

const QString kChooseFolder = u"Choose Folder\u2026"_s;
const QString kChange = u"Change\u2026"_s;
const QString kHint = u"Choose a screenshot folder to continue."_s;

// The setup's folders live in the test's temporary folder, which is made
// the home folder so that paths are shown from "~/".
class OnboardingViewTest : public test::ModelFixture {
protected:
    OnboardingViewTest() : savedHome_(std::getenv("HOME")) {
        ::setenv("HOME", dir.path().c_str(), 1);
    }
    ~OnboardingViewTest() override { ::setenv("HOME", savedHome_.c_str(), 1); }

private:
    std::string savedHome_;
};

TEST_F(OnboardingViewTest, AsksForTheCaptureFolderBeforeSetupCanFinish) {
    auto model = makeModel();
    OnboardingView view(*model);
    QStringList texts = visibleTexts(view);
    for (const char* text :
         {"Welcome to Cadrelle",
          "Choose where screenshots arrive and where framed copies should go. Cadrelle takes "
          "care of new captures in the background.",
          "1", "Where are your screenshots saved?",
          "Choose the folder where Glimmerbox or your screenshot app saves original screenshots "
          "and recordings.",
          "2", "Where should framed copies go?",
          "Screenshots wait in a corner preview. Save or swipe right to send them to this folder "
          "(Desktop by default). Recordings export here directly after you choose a format.",
          "Originals stay untouched. Only new captures are picked up automatically after setup.",
          "Quit", "Choose a screenshot folder to continue.", "Finish Setup"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
    }
    EXPECT_TRUE(texts.contains(u"No folder selected"_s));
    ASSERT_NE(findButton(view, kChooseFolder), nullptr);
    EXPECT_EQ(findButton(view, kChooseFolder)->toolTip(), u"Choose screenshot source folder"_s);
    EXPECT_FALSE(findButton(view, u"Finish Setup"_s)->isEnabled());

    // Choosing the capture folder shows it and lets setup finish.
    panels->answers.push_back({input});
    findButton(view, kChooseFolder)->click();
    texts = visibleTexts(view);
    EXPECT_TRUE(texts.contains(u"captures"_s));
    EXPECT_TRUE(texts.contains(u"~/captures"_s));
    EXPECT_FALSE(texts.contains(u"No folder selected"_s));
    EXPECT_FALSE(texts.contains(kChooseFolder));
    EXPECT_FALSE(texts.contains(kHint));
    EXPECT_TRUE(findButton(view, u"Finish Setup"_s)->isEnabled());
    EXPECT_EQ(texts.count(kChange), 2);
}

TEST_F(OnboardingViewTest, ExportCardChoosesTheExportFolder) {
    auto model = makeModel();
    OnboardingView view(*model);
    QAbstractButton* change = findButton(view, kChange);
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->toolTip(), u"Choose export folder"_s);
    panels->answers.push_back({output});
    change->click();
    ASSERT_EQ(panels->shown.size(), 1u);
    EXPECT_EQ(panels->shown[0].title, "Choose where Cadrelle saves framed captures.");
    const QStringList texts = visibleTexts(view);
    EXPECT_TRUE(texts.contains(u"export"_s));
    EXPECT_TRUE(texts.contains(u"~/export"_s));
    // The export folder alone does not let setup finish.
    EXPECT_TRUE(texts.contains(kHint));
}

TEST_F(OnboardingViewTest, ShowsTheModelsErrorsAndQuits) {
    auto model = makeModel();
    OnboardingView view(*model);
    const QString early = QStringLiteral(
        "Finish setup first, then use Open Captures to frame existing screenshots and "
        "recordings.");
    EXPECT_FALSE(visibleTexts(view).contains(early));
    model->frameManually({input / "shot.png"});
    EXPECT_TRUE(visibleTexts(view).contains(early));

    model->setErrorMessage(std::nullopt);
    EXPECT_FALSE(visibleTexts(view).contains(early));

    QSignalSpy quit(&view, &OnboardingView::quitRequested);
    findButton(view, u"Quit"_s)->click();
    EXPECT_EQ(quit.count(), 1);
    EXPECT_FALSE(model->preferences().completedSetup);
}

} // namespace
} // namespace cadrelle
