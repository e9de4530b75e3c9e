#include "ui/pages/UpdateSettingsView.h"
#include "WidgetQueries.h"
#include "updates/AppUpdater.h"
#include "updates/FakeUpdateBackend.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

using test::findButton;
using test::visibleTexts;

// An update backend whose last check was at noon on the first day.
std::shared_ptr<test::FakeUpdateBackend> settingsBackend() {
    auto backend = std::make_shared<test::FakeUpdateBackend>();
    backend->lastCheck = 43200.0;
    return backend;
}

const UpdateConfiguration kSound{
    "https://updates.example/feed.xml", "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=", {}};
const QString kChecks = u"Automatically check for updates"_s;
const QString kDownloads = u"Download and install updates on quit"_s;

TEST(UpdateSettingsView, AnUnconfiguredBuildOffersNothingButItsMessage) {
    AppUpdater updater(UpdateConfiguration{}, settingsBackend());
    updater.start();
    UpdateSettingsView view(updater);
    EXPECT_EQ(visibleTexts(view),
              (QStringList{u"Software updates"_s, u"Check for Updates\u2026"_s,
                           u"Updates aren't configured correctly. Please contact support."_s}));
    EXPECT_FALSE(findButton(view, u"Check for Updates\u2026"_s)->isEnabled());
}

TEST(UpdateSettingsView, SwitchesFollowTheUpdaterAndItsRules) {
    EXPECT_TRUE(lastCheckedText(43200, QLocale(QLocale::English, QLocale::UnitedStates))
                    .startsWith(u"Last checked 1/1/01 "_s));

    auto backend = settingsBackend();
    AppUpdater updater(kSound, backend);
    updater.start();
    UpdateSettingsView view(updater);
    const QStringList texts = visibleTexts(view);
    EXPECT_EQ(texts.size(), 5) << texts.join(u" | "_s).toStdString();
    EXPECT_EQ(texts.value(1), lastCheckedText(43200));
    EXPECT_TRUE(texts.contains(kChecks));
    EXPECT_TRUE(texts.contains(kDownloads));

    auto* checks = findButton(view, kChecks);
    auto* downloads = findButton(view, kDownloads);
    EXPECT_TRUE(checks->isChecked());
    EXPECT_TRUE(downloads->isEnabled());
    downloads->click();
    EXPECT_TRUE(backend->downloadsAutomatically);
    checks->click();
    EXPECT_FALSE(backend->checksAutomatically);
    EXPECT_FALSE(downloads->isEnabled()) << "installing needs automatic checks";

    findButton(view, u"Check for Updates\u2026"_s)->click();
    EXPECT_EQ(backend->checks, 1);

    auto refusing = settingsBackend();
    refusing->allowsAutomatic = false;
    AppUpdater limited(kSound, refusing);
    limited.start();
    UpdateSettingsView limitedView(limited);
    EXPECT_FALSE(findButton(limitedView, kDownloads)->isEnabled())
        << "this installation can't update itself";
}

} // namespace
} // namespace cadrelle
