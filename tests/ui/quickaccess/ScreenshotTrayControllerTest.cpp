#include "ui/quickaccess/ScreenshotTrayController.h"
#include "CardFixture.h"
#include "ui/quickaccess/MotionPreference.h"
#include "ui/quickaccess/ScreenshotCardColumn.h"
#include "ui/quickaccess/ScreenshotTrayPanel.h"

#include <QTest>
#include <QToolButton>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

struct FakeMotion : MotionPreference {
    bool reduce = false;
    bool reduceMotion() override { return reduce; }
};

class TrayControllerTest : public test::CardFixture {
protected:
    std::unique_ptr<ScreenshotTrayController> makeController(TrayDurations durations) {
        return std::make_unique<ScreenshotTrayController>(
            *items, TrayServices{motion, [this] { return pointer; }, drags, launcher, durations});
    }

    std::shared_ptr<FakeMotion> motion = std::make_shared<FakeMotion>();
    QPoint pointer{700, 400};
    // One card on the 1440 × 900 screen.
    const QRect corner{1124, 616, 304, 272};
};

TEST_F(TrayControllerTest, PanelShowsFollowsAndHidesWithThePendingList) {
    auto controller = makeController({0, 0, 0});
    ScreenshotTrayPanel& panel = controller->panel();
    EXPECT_EQ(panel.windowTitle(), u"Screenshot Preview"_s);
    EXPECT_EQ(panel.windowFlags() & ~Qt::Window,
              (Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
               Qt::WindowDoesNotAcceptFocus) &
                  ~Qt::Window);
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(panel.testAttribute(Qt::WA_AlwaysShowToolTips));

    controller->refresh();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(controller->tracksHover());

    const PendingScreenshot first = addItem();
    controller->refresh();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.geometry(), corner);
    EXPECT_EQ(panel.windowOpacity(), 1.0);
    EXPECT_TRUE(controller->tracksHover());

    const PendingScreenshot second = addItem();
    items->screenshotError("The disk is full.", first);
    controller->refresh();
    EXPECT_EQ(panel.geometry(), QRect(1124, 322, 304, 566)) << "240 + 282 + 12 + 32";
    const auto& cards = controller->column().cards();
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0]->item().record.id, second.record.id) << "newest on top";
    EXPECT_EQ(cards[1]->height(), 282);

    // The pointer over the lower card, then over the gap between the cards.
    const QRect lower(cards[1]->mapTo(&panel, QPoint(0, 0)), cards[1]->size());
    pointer = panel.geometry().topLeft() + lower.center();
    controller->trackHover();
    EXPECT_EQ(controller->hoveredID(), first.record.id);
    pointer = panel.geometry().topLeft() + QPoint(lower.center().x(), lower.top() - 6);
    controller->trackHover();
    EXPECT_EQ(controller->hoveredID(), std::nullopt);

    items->discardScreenshot(first);
    items->discardScreenshot(second);
    controller->refresh();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(controller->tracksHover());
    EXPECT_EQ(controller->column().cards().size(), 2u) << "the last cards fade out with it";
}

// The slide itself is the transitions' business; here only that the panel
// takes it, or stands still at once with reduced motion.
TEST_F(TrayControllerTest, PanelSlidesInUnlessMotionIsReduced) {
    const int never = 3600 * 1000;
    auto controller = makeController({never, never});
    ScreenshotTrayPanel& panel = controller->panel();
    addItem();
    controller->refresh();
    EXPECT_EQ(panel.geometry(), corner.translated(80, 20)) << "starts right and below";
    EXPECT_EQ(panel.windowOpacity(), 0.0);

    motion->reduce = true;
    items->discardScreenshot(items->pendingScreenshots().front());
    controller->refresh();
    EXPECT_FALSE(panel.isVisible()) << "hidden at once";
    addItem();
    controller->refresh();
    EXPECT_EQ(panel.geometry(), corner);
    EXPECT_EQ(panel.windowOpacity(), 1.0);
}

QRect inPanel(const QWidget& card, const QWidget& panel) {
    return {card.mapTo(&panel, QPoint(0, 0)), card.size()};
}

TEST_F(TrayControllerTest, CardsComeAndGoWithTheirTransitionsAndSettleWhereTheyBelong) {
    auto controller = makeController({0, 0, 400});
    ScreenshotTrayPanel& panel = controller->panel();
    ScreenshotCardColumn& column = controller->column();
    const PendingScreenshot first = addItem();
    const PendingScreenshot second = addItem();
    controller->refresh();
    EXPECT_FALSE(column.animating()) << "the panel itself slides in";
    const std::vector<ScreenshotCard*> shown = column.cards();
    controller->refresh();
    EXPECT_FALSE(column.animating()) << "the same list again";
    EXPECT_EQ(column.cards(), shown);

    // A third card slides in from beyond the right edge, transparent.
    addItem();
    controller->refresh();
    ASSERT_TRUE(column.animating());
    ScreenshotCard* newest = column.cards().front();
    EXPECT_GE(inPanel(*newest, panel).left(), panel.width());
    EXPECT_EQ(newest->opacity(), 0.0);
    EXPECT_EQ(inPanel(*column.cards()[2], panel).topLeft(), QPoint(16, 520)) << "stays";

    // The oldest leaves: it ignores the pointer while the others move down.
    items->discardScreenshot(first);
    controller->refresh();
    ASSERT_EQ(column.cards().size(), 2u);
    QPointer<ScreenshotCard> leaving = shown[1];
    ASSERT_TRUE(leaving && leaving->leaving());
    const QPoint middle = inPanel(*leaving, panel).center();
    const QWidget* hit = panel.childAt(middle);
    EXPECT_TRUE(hit == nullptr || (hit != leaving && !leaving->isAncestorOf(hit)))
        << "clicks and drags go past a leaving card";
    EXPECT_EQ(controller->column().cardFrames(panel).count(first.record.id), 0u);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !column.animating() && !leaving; }, 3000));
    EXPECT_EQ(panel.geometry(), QRect(1124, 364, 304, 524));
    EXPECT_EQ(inPanel(*column.cards()[0], panel), QRect(16, 16, 272, 240));
    EXPECT_EQ(inPanel(*column.cards()[1], panel), QRect(16, 268, 272, 240));
    EXPECT_EQ(column.cards()[1]->item().record.id, second.record.id);
    EXPECT_EQ(column.cards()[1]->opacity(), 1.0);
    EXPECT_EQ(column.cards()[1]->graphicsEffect(), nullptr) << "no effect at rest";

    // With reduced motion a new card only fades in; the others are at once
    // where they belong.
    motion->reduce = true;
    items->discardScreenshot(second);
    addItem();
    controller->refresh();
    EXPECT_EQ(inPanel(*column.cards()[0], panel).topLeft(), QPoint(16, 16));
    EXPECT_LT(column.cards()[0]->opacity(), 1.0);
    EXPECT_EQ(inPanel(*column.cards()[1], panel).topLeft(), QPoint(16, 268));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !column.animating(); }, 3000));
    EXPECT_EQ(column.cards()[0]->opacity(), 1.0);
}

} // namespace
} // namespace cadrelle
