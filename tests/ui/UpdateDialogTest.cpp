#include "ui/UpdateDialog.h"
#include "WidgetQueries.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

using test::findButton;
using test::visibleTexts;
using Choice = UpdateUserDriver::Choice;

TEST(UpdateDialog, OffersInstallOrTheDownloadPageAndAnswersOnce) {
    std::vector<QUrl> opened;
    UpdateDialog dialog([&](const QUrl& url) { opened.push_back(url); });
    std::vector<Choice> answers;
    const auto record = [&](Choice choice) { answers.push_back(choice); };

    dialog.showUpdateFound(
        {"0.2", "Faster exports.", "https://cadrelle.example/download", true, true}, record);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(visibleTexts(dialog).contains(u"Cadrelle 0.2 is available. Install it now?"_s));
    findButton(dialog, u"Install and Relaunch"_s)->click();
    dialog.showDownloadProgress(50, 100);
    EXPECT_FALSE(findButton(dialog, u"Later"_s)->isEnabled()) << "no answer while downloading";
    dialog.reject();
    EXPECT_EQ(answers, std::vector<Choice>{Choice::install}) << "one answer per window";
    dialog.dismiss();
    EXPECT_FALSE(dialog.isVisible());

    dialog.showUpdateFound(
        {"0.2", "Faster exports.", "https://cadrelle.example/download", false, false}, record);
    EXPECT_TRUE(
        visibleTexts(dialog).contains(u"Cadrelle 0.2 is available from the download page."_s));
    EXPECT_EQ(findButton(dialog, u"Install and Relaunch"_s), nullptr);
    findButton(dialog, u"Open Download Page"_s)->click();
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl(u"https://cadrelle.example/download"_s)});
    EXPECT_EQ(answers, (std::vector<Choice>{Choice::install, Choice::later}));
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
} // namespace cadrelle
