#pragma once

#include "capture/CaptureDimensions.h"
#include "core/FileIO.h"
#include "core/SerialQueue.h"
#include "frames/LoadedFrame.h"
#include "model/ModelFixture.h"
#include "model/QuickAccessItems.h"
#include "support/TestFrames.h"
#include "ui/quickaccess/CardImageView.h"
#include "ui/quickaccess/DragStarter.h"
#include "ui/quickaccess/ScreenshotCard.h"
#include "ui/quickaccess/StampedImage.h"

#include <QPointer>

namespace cadrelle::test {

// Records the drags a card starts and answers them as told.
struct FakeDragStarter : DragStarter {
    QStringList files;
    bool accept = false;
    bool dragFile(QWidget*, const QString& file, const QPixmap&) override {
        files.push_back(file);
        return accept;
    }
};

// Quick Access items whose device has two finishes ("Default" and
// "Silver"), and cards made for its pending screenshots. No model and no
// watcher: items are framed into the inbox by the test itself.
class CardFixture : public ModelFixture {
protected:
    CardFixture() {
        shipped.library.importFiles(
            {writeFrame(dir / "shipped" / "drawn" / "iPhone Test 20x30 - Silver - Portrait.png",
                        FrameDrawing{30, 40, 5, 5, 20, 30})});
        preferences.outputPath = output.string();
        items = std::make_unique<QuickAccessItems>(
            inbox, shipped.library, DesktopServices{panels, launcher, trash, loginItem, clipboard},
            preferences, work);
        items->setFrames(shipped.library.load());
    }

    // Lets the work the items queued end before they go.
    ~CardFixture() override { work.stop(); }

    // Frames one more screenshot into the inbox, hands its record to the
    // items and returns its pending item.
    PendingScreenshot addItem() {
        const auto shot = dir / "opened" / ("Screenshot " + std::to_string(++shots) + ".png");
        writeScreenshot(shot, 20, 30, shots);
        const CaptureExportControl control;
        const FrameAsset frame = selectFrame(shot, shipped.library.load(), std::nullopt,
                                             preferences.automaticallyMatch, control);
        const CaptureRecord record = inbox.prepare(
            shot, newUuidString(), LoadedFrame(frame, shipped.library.directory / frame.file),
            output, control);
        EXPECT_TRUE(items->take(record));
        return items->pendingScreenshots().back();
    }

    // A card on screen once the read of its picture ended.
    std::unique_ptr<ScreenshotCard> makeCard(const PendingScreenshot& item) {
        auto card = std::make_unique<ScreenshotCard>(*items, item, CardServices{drags, launcher});
        card->show();
        const auto* image = card->findChild<StampedImage*>();
        EXPECT_TRUE(waitUntil([&] {
            return image->requested(item.record.output, imageBounds(*card));
        })) << "the picture is asked for once the card is drawn";
        waitForPicture(*card);
        return card;
    }

    // The size the card's picture is shown at, in device pixels.
    static QSize imageBounds(const ScreenshotCard& card) {
        const auto* view = card.findChild<CardImageView*>();
        return view->size() * view->devicePixelRatioF();
    }

    // Lets the card's running read of its picture end.
    static void waitForPicture(const ScreenshotCard& card) {
        const auto* image = card.findChild<StampedImage*>();
        EXPECT_TRUE(waitUntil([&] { return !image->busy(); }));
    }

    bool isPending(const PendingScreenshot& item) const {
        for (const auto& pending : items->pendingScreenshots()) {
            if (pending.record.id == item.record.id) {
                return true;
            }
        }
        return false;
    }

    std::shared_ptr<FakeDragStarter> drags = std::make_shared<FakeDragStarter>();
    Preferences preferences;
    ScreenshotInbox inbox{data / "Screenshot Inbox"};
    SerialQueue work{"card-test"};
    std::unique_ptr<QuickAccessItems> items;
    std::uint32_t shots = 0;
};

} // namespace cadrelle::test
