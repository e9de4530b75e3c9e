#include "ui/pages/AboutPage.h"
#include "WidgetQueries.h"
#include "core/Installation.h"
#include "desktop/SupportLink.h"
#include "model/ModelFixture.h"
#include "support/CoreApplication.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

// "Contact Support" goes through xdg-open; a stand-in on PATH records what
// it is asked to open and ends with the status in its folder's "status".
class AboutPageTest : public test::ModelFixture {
protected:
    AboutPageTest() {
        fs::create_directories(tools);
        test::writeText(tools / "xdg-open",
                        "#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/opened\"\n"
                        "exit \"$(cat \"$(dirname \"$0\")/status\")\"\n");
        fs::permissions(tools / "xdg-open", fs::perms(0755));
        test::writeText(tools / "status", "0");
        qputenv("PATH", QByteArray::fromStdString(tools.string()) + ":" + path);
    }
    ~AboutPageTest() override { qputenv("PATH", path); }

    // A page whose "Contact Support" opens `link`.
    std::unique_ptr<AboutPage> aboutPage(AppModel& model, SupportLink* link) {
        auto page = std::make_unique<AboutPage>(model, nullptr, link);
        QObject::connect(link, &SupportLink::openEnded, [this] { ++ended; });
        page->show();
        return page;
    }

    // Presses "Contact Support" and waits until opening has ended; returns
    // the sentence the page shows about it, if any.
    QString contactSupport(AboutPage& page) {
        const int before = ended;
        test::findButton(page, u"Contact Support"_s)->click();
        EXPECT_TRUE(test::waitUntil([&] { return ended > before; }));
        for (const QString& text : test::visibleTexts(page)) {
            if (text.startsWith(u"Couldn't open"_s) || text.startsWith(u"Cadrelle's README"_s)) {
                return text;
            }
        }
        return {};
    }

    const QByteArray path = qgetenv("PATH");
    const fs::path tools = dir / "tools";
    int ended = 0;
};

TEST_F(AboutPageTest, ContactSupportOpensTheShippedReadmeOrSaysWhyItCant) {
    auto model = makeSetUpModel(false);
    const fs::path versionFolder = dir / "prefix/lib/cadrelle/0.2.0";
    const fs::path readme = versionFolder / "share/doc/cadrelle/README.md";
    fs::create_directories(readme.parent_path());
    test::writeText(readme, "# Cadrelle");
    const auto page =
        aboutPage(*model, new SupportLink({}, Installation::of(versionFolder / "bin/cadrelle")));

    EXPECT_EQ(contactSupport(*page), QString());
    EXPECT_EQ(test::readText(tools / "opened"), readme.string() + "\n");

    // xdg-open finds no application for it.
    test::writeText(tools / "status", "3");
    EXPECT_EQ(contactSupport(*page).toStdString(),
              "Couldn't open " + readme.string() + ": no application to show it was found.");

    // The README is gone: nothing is run, and the page says where it looked.
    test::writeText(tools / "status", "0");
    fs::remove(readme);
    EXPECT_EQ(contactSupport(*page).toStdString(),
              "Cadrelle's README couldn't be opened because " + readme.string() + " is missing.");
    EXPECT_EQ(test::readText(tools / "opened"), readme.string() + "\n" + readme.string() + "\n");

    // A support page given to the build is opened instead.
    const auto web = aboutPage(*model, new SupportLink(u"https://support.example/cadrelle"_s,
                                                       Installation::of(versionFolder)));
    EXPECT_EQ(contactSupport(*web), QString());
    EXPECT_TRUE(test::readText(tools / "opened").ends_with("\nhttps://support.example/cadrelle\n"));
}

} // namespace
} // namespace cadrelle
