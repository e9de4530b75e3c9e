#include "WidgetQueries.h"
#include "model/ModelFixture.h"
#include "ui/MainView.h"
#include "ui/pages/QuickAccessPage.h"

#include <nlohmann/json.hpp>

#include "support/Mp4Maker.h"

#include <QAccessible>
#include <QComboBox>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QScrollArea>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimeEdit>
#include <QUrl>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

using test::findButton;
using test::visibleTexts;

class SettingsPages : public test::ModelFixture {
protected:
    // The content of the page at `index` in sidebar order.
    static QWidget& page(const MainView& view, int index) {
        auto* pages = view.findChild<QStackedWidget*>();
        return *qobject_cast<QScrollArea*>(pages->widget(index))->widget();
    }

    nlohmann::json storedSettings() const {
        return nlohmann::json::parse(test::readText(data / "settings.json"));
    }

    // Sends a drop of `files` on `view`; answers whether it was taken.
    static bool drop(MainView& view, const std::vector<std::filesystem::path>& files) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const auto& file : files) {
            urls << QUrl::fromLocalFile(QString::fromStdString(file.string()));
        }
        mime.setUrls(urls);
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &enter);
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &dropped);
        return dropped.isAccepted();
    }
};

TEST_F(SettingsPages, EachPageShowsItsGroupsInOrder) {
    auto model = makeSetUpModel(false);
    MainView view(*model);
    const QString exportPath = QString::fromStdString(output.string());
    const QString choose = u"Choose\u2026"_s;
    const std::vector<QStringList> expected = {
        {u"App"_s, u"Launch at login"_s, u"Show icon in system tray"_s, u"Export"_s,
         u"Save or swipe right in Quick Access to use this folder. Recordings export here after "
         u"you choose a format."_s,
         u"Export location"_s, exportPath, choose, u"After Capture"_s,
         u"Show screenshot in Quick Access"_s, u"Preview exported recordings"_s,
         u"Cadrelle runs in the background without a taskbar entry. Open it from your "
         u"applications menu whenever you need Settings."_s},
        {u"Source"_s,
         u"Choose the folder where Glimmerbox saves original screenshots and recordings. The "
         u"originals stay untouched."_s,
         u"Watch folder"_s, QString::fromStdString(input.string()), choose, u"Detection"_s,
         u"By default, Cadrelle watches Glimmerbox and Simulator filenames. For other capture "
         u"apps or renamed files, use a dedicated folder and enable this option."_s,
         u"Watch every PNG and MP4"_s, u"Existing Captures"_s, u"Frame a screenshot or recording"_s,
         u"You can also drop files onto this window."_s, u"Open Captures\u2026"_s},
        {u"Screenshot Preview"_s,
         u"Compact cards slide into the bottom-right corner without taking focus. New "
         u"screenshots stack above earlier captures and stay until you choose what to do. "
         u"Pending captures survive an app restart."_s,
         u"Show screenshots before saving"_s, u"Hover Actions"_s, u"Delete"_s,
         u"Moves the framed copy to Trash. Your original stays untouched."_s, u"Edit"_s,
         u"Opens in your image editor for markup. Save your edits there before exporting."_s,
         u"Bezel finish"_s, u"Choose another finish for the same device before editing."_s,
         u"Copy"_s, u"Copies the full-resolution image to the clipboard."_s, u"Drag & Save"_s,
         u"Drag to share"_s, u"Drag the image to an app, a folder, or your Desktop."_s,
         u"Swipe to save"_s,
         u"Swipe right with two fingers, drag the bottom strip right, or click Save."_s,
         u"Turning Quick Access off saves future screenshots directly to your export folder. "
         u"Pending screenshots remain in the tray."_s},
        {u"Device Frame"_s,
         u"Apple device frames are included in their original finishes. Captures keep their "
         u"native resolution and orientation."_s,
         u"Match device and orientation"_s, u"Custom Frames"_s,
         u"Add your own PNG device artwork"_s, u"Import Frames\u2026"_s, u"Store Images"_s,
         u"\u201CSave Store Image\u201D on a screenshot composes it onto a background with "
         u"captions in every size of this composition."_s,
         u"No composition chosen"_s, u"Choose Composition\u2026"_s,
         u"Choose a composition to see the latest screenshot as a store image."_s,
         u"Change a single screenshot\u2019s bezel in Quick Access. Your preferred frame for "
         u"future captures stays the same."_s},
        {u"After Export"_s, u"Show recording preview"_s, u"Video Format"_s,
         u"Choose a format in the Video Export popup each time a recording arrives. "
         u"Transparent HEVC is selected initially."_s,
         u"MP4 \u00B7 H.264"_s, u"Black background, with broad playback compatibility."_s,
         u"MOV \u00B7 HEVC with alpha"_s, u"Transparent background with a smaller file size."_s,
         u"MOV \u00B7 ProRes 4444"_s,
         u"Transparent background for video editing, with larger files."_s, u"Export"_s,
         u"Export location"_s, exportPath, choose},
        {u"Status Bar"_s, u"Override simulator time"_s, u"Time"_s, u"Use 9:41"_s,
         QString::fromStdString(model->simulatorTimeStatus().message),
         u"Applies to running iOS simulators, including simulators opened later. Requires "
         u"Xcode. Turning this off or quitting restores default status bars, including time, "
         u"battery, and signal. Your chosen time stays saved."_s},
        {u"Cadrelle"_s, u"Version"_s, u"Development"_s, u"Need a hand?"_s, u"Contact Support"_s,
         u"Updates"_s, u"Software updates"_s, u"Check for Updates\u2026"_s, u"Background Capture"_s,
         u"Closing Settings leaves capture running. Quitting stops capture and restores "
         u"simulator status bars."_s,
         u"Stop Cadrelle"_s, u"Quit App"_s},
    };
    auto* sidebar = view.findChild<QListWidget*>();
    ASSERT_EQ(sidebar->count(), 7);
    for (int index = 0; index < 7; ++index) {
        EXPECT_EQ(visibleTexts(page(view, index)), expected[index]) << "page " << index;
        EXPECT_FALSE(sidebar->item(index)->icon().isNull());
    }
    sidebar->setCurrentRow(5);
    EXPECT_TRUE(visibleTexts(view).contains(u"Simulator Time"_s)) << "the page's title";
    // Assistive tools select a row without making it current.
    QAccessible::queryAccessibleInterface(sidebar)->child(3)->actionInterface()->doAction(
        QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(visibleTexts(view).contains(u"Device Frames"_s)) << "the selected page's title";
    EXPECT_TRUE(findButton(view, u"Import Frames\u2026"_s)->isVisibleTo(&view));
    EXPECT_TRUE(findButton(view, u"Open Captures\u2026"_s)->isVisibleTo(&view));

    QSignalSpy quit(&view, &MainView::quitRequested);
    findButton(page(view, 6), u"Quit App"_s)->click();
    EXPECT_EQ(quit.size(), 1);
}

TEST_F(SettingsPages, SwitchesStoreTheirPreferenceAndRestartOnlyWhereNeeded) {
    auto model = makeSetUpModel(false);
    MainView view(*model);
    struct Case {
        int page;
        QString title;
        const char* key;
        bool restarts;
    };
    const Case cases[] = {
        {0, u"Show icon in system tray"_s, "showMenuBarIcon", false},
        {0, u"Show screenshot in Quick Access"_s, "screenshotPreviewEnabled", true},
        {0, u"Preview exported recordings"_s, "previewAfterCapture", false},
        {1, u"Watch every PNG and MP4"_s, "allPNG", true},
        {2, u"Show screenshots before saving"_s, "screenshotPreviewEnabled", true},
        {3, u"Match device and orientation"_s, "automaticallyMatch", true},
        {4, u"Show recording preview"_s, "previewAfterCapture", false},
        {5, u"Override simulator time"_s, "simulatorTimeEnabled", false},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.title.toStdString());
        const bool before = storedSettings()[item.key].get<bool>();
        QSignalSpy restarts(model.get(), &AppModel::isWatchingChanged);
        auto* toggle = findButton(page(view, item.page), item.title);
        ASSERT_NE(toggle, nullptr);
        toggle->click();
        EXPECT_EQ(storedSettings()[item.key].get<bool>(), !before);
        EXPECT_EQ(toggle->isChecked(), !before);
        EXPECT_EQ(!restarts.isEmpty(), item.restarts);
    }
    // The two switches of one preference show the same value.
    EXPECT_EQ(findButton(page(view, 0), u"Preview exported recordings"_s)->isChecked(),
              findButton(page(view, 4), u"Show recording preview"_s)->isChecked());
    EXPECT_EQ(model->simulatorTimeStatus().message, "Applying simulator time\u2026")
        << "the clock override follows the switch at once";

    // As assistive tools flip a switch.
    QAccessible::queryAccessibleInterface(findButton(page(view, 0), u"Launch at login"_s))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(loginItem->enabled);
    EXPECT_TRUE(model->launchAtLogin());
}

TEST_F(SettingsPages, PendingRowCountsTheWaitingScreenshots) {
    auto model = makeSetUpModel(true);
    QuickAccessPage quickAccess(*model);
    EXPECT_FALSE(visibleTexts(quickAccess).contains(u"Show Preview"_s));
    for (const char* name : {"Screenshot 1.png", "Screenshot 2.png"}) {
        const auto shot = dir / "opened" / name;
        test::writeScreenshot(shot, 20, 30, static_cast<std::uint32_t>(name[11]));
        model->frameManually({shot});
        ASSERT_TRUE(test::waitUntil([&] { return !model->framing().isWorking(); }));
        if (model->quickAccess().pendingScreenshots().size() == 1) {
            EXPECT_TRUE(visibleTexts(quickAccess).contains(u"1 pending screenshot"_s));
        }
    }
    EXPECT_TRUE(visibleTexts(quickAccess).contains(u"2 pending screenshots"_s));
    int shown = 0;
    QObject::connect(model.get(), &AppModel::screenshotPreviewChanged, [&] { ++shown; });
    findButton(quickAccess, u"Show Preview"_s)->click();
    EXPECT_EQ(shown, 1);
}

TEST_F(SettingsPages, SimulatorTimeFieldShowsAndStoresMinutes) {
    auto model = makeSetUpModel(false);
    MainView view(*model);
    auto* field = page(view, 5).findChild<QTimeEdit*>();
    EXPECT_EQ(field->text(), u"09:41"_s);
    field->setTime(QTime(13, 5));
    EXPECT_EQ(storedSettings()["simulatorTimeMinutes"], 785);
    findButton(page(view, 5), u"Use 9:41"_s)->click();
    EXPECT_EQ(storedSettings()["simulatorTimeMinutes"], 581);
    EXPECT_EQ(field->text(), u"09:41"_s);
}

TEST_F(SettingsPages, PreferredFramePickerNamesOrientations) {
    shipped = test::makeTestLibrary(dir / "shapes", {{30, 20}, {24, 24}});
    auto model = makeSetUpModel(false);
    MainView view(*model);
    auto* picker = page(view, 3).findChild<QComboBox*>();
    ASSERT_EQ(picker->count(), 2);
    QStringList labels;
    for (int index = 0; index < picker->count(); ++index) {
        labels << picker->itemText(index);
    }
    for (const FrameAsset& asset : shipped.assets) {
        const QString name = QString::fromStdString(asset.name);
        EXPECT_TRUE(labels.contains(
            name + (asset.screen.width == 30 ? u" \u00B7 Landscape"_s : u" \u00B7 Portrait"_s)))
            << labels.join(u", "_s).toStdString();
    }
    const int other = picker->currentIndex() == 0 ? 1 : 0;
    QSignalSpy restarts(model.get(), &AppModel::isWatchingChanged);
    picker->activated(other);
    EXPECT_EQ(storedSettings()["selectedFrameID"],
              picker->itemData(other).toString().toStdString());
    EXPECT_EQ(picker->currentIndex(), other);
    EXPECT_FALSE(restarts.isEmpty());
}

TEST_F(SettingsPages, DroppedFilesAreFramedTogetherOrWaitForTheJobThatRuns) {
    auto model = makeSetUpModel(false);
    MainView view(*model);
    const auto shot = dir / "opened" / "shot.png";
    const auto clip = dir / "opened" / "clip.mp4";
    test::writeScreenshot(shot, 20, 30);
    test::makeMp4(clip, test::Mp4Spec{});

    EXPECT_TRUE(drop(view, {shot, clip}));
    EXPECT_TRUE(model->framing().isWorking());
    ASSERT_EQ(presenter->presented.size(), 1u) << "one framing job for the whole drop";
    EXPECT_EQ(presenter->presented[0], std::vector<std::string>{"clip.mp4"});

    EXPECT_TRUE(drop(view, {shot})) << "taken while a job runs, framed after it";
    presenter->choose(std::nullopt);
    ASSERT_TRUE(test::waitUntil([&] { return !model->framing().isWorking(); }));
    EXPECT_EQ(model->captures().size(), 2u) << "the screenshot of each drop";
}

TEST_F(SettingsPages, FramedPicturesDroppedOnTheWindowAreNotFramedAgain) {
    auto model = makeSetUpModel(true);
    MainView view(*model);
    const auto shot = dir / "opened" / "shot.png";
    test::writeScreenshot(shot, 20, 30);
    model->frameManually({shot});
    ASSERT_TRUE(test::waitUntil([&] {
        return !model->framing().isWorking() && !model->quickAccess().pendingScreenshots().empty();
    }));
    // A Quick Access card offers its framed picture in the inbox when dragged.
    const std::filesystem::path card =
        model->quickAccess().pendingScreenshots().front().record.output;
    const auto framed = dir / "opened" / "older-FRAMED-0123ABCD.png";
    std::filesystem::copy_file(card, framed);

    EXPECT_FALSE(drop(view, {card})) << "a card's drag is refused, so the card stays";
    EXPECT_FALSE(drop(view, {framed}));
    EXPECT_FALSE(model->framing().isWorking());
    EXPECT_FALSE(model->errorMessage().has_value());
    EXPECT_EQ(model->quickAccess().pendingScreenshots().size(), 1u);

    EXPECT_TRUE(drop(view, {framed, shot})) << "the capture among them is framed";
    ASSERT_TRUE(test::waitUntil([&] { return !model->framing().isWorking(); }));
    EXPECT_FALSE(model->errorMessage().has_value());
    EXPECT_EQ(model->quickAccess().pendingScreenshots().size(), 2u);
}

TEST_F(SettingsPages, LatestCaptureOffersWhatSuitsTheKind) {
    auto model = makeSetUpModel(false);
    MainView view(*model);
    QWidget& capture = page(view, 1);
    EXPECT_FALSE(visibleTexts(capture).contains(u"Latest Capture"_s));

    const auto framed = output / "shot-framed.png";
    test::writeScreenshot(framed, 40, 80);
    model->remember({"id-1", 0, (input / "shot.png").string(), framed.string(), "Phone"});
    QStringList texts = visibleTexts(capture);
    EXPECT_TRUE(texts.contains(u"Latest Capture"_s));
    EXPECT_TRUE(texts.contains(u"Copy Image"_s));
    EXPECT_FALSE(texts.contains(u"Play"_s));
    findButton(capture, u"Show in File Manager"_s)->click();
    EXPECT_EQ(launcher->revealed, std::vector<std::filesystem::path>{framed});

    const auto movie = output / "clip-framed.MOV";
    model->remember({"id-2", 0, (input / "clip.mp4").string(), movie.string(), "Phone"});
    texts = visibleTexts(capture);
    EXPECT_TRUE(texts.contains(u"Copy Video"_s));
    EXPECT_TRUE(texts.contains(u"Show in File Manager"_s));
    findButton(capture, u"Play"_s)->click();
    EXPECT_EQ(launcher->opened, std::vector<std::filesystem::path>{movie});
}

} // namespace
} // namespace cadrelle
