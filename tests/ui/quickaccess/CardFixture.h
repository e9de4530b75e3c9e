#pragma once

#include "model/QuickAccessFixture.h"
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
// "Silver"), and cards made for its pending screenshots.
class CardFixture : public QuickAccessFixture {
protected:
    CardFixture() {
        shipped.library.importFiles(
            {writeFrame(dir / "shipped" / "drawn" / "iPhone Test 20x30 - Silver - Portrait.png",
                        FrameDrawing{30, 40, 5, 5, 20, 30})});
        items->setFrames(shipped.library.load());
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

    std::shared_ptr<FakeDragStarter> drags = std::make_shared<FakeDragStarter>();
};

} // namespace cadrelle::test
