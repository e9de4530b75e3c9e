#include "ui/quickaccess/CardListChange.h"
#include "ui/quickaccess/CardRules.h"
#include "ui/quickaccess/CardTransition.h"
#include "ui/quickaccess/DesktopMotionPreference.h"
#include "ui/quickaccess/SwipeTracker.h"
#include "ui/quickaccess/TrayGeometry.h"
#include "ui/quickaccess/TrayTransitions.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

TEST(TrayGeometry, PanelSitsInTheCornerOfTheRightScreenAndGrowsUpwards) {
    const QRect workArea(0, 0, 1440, 868);
    EXPECT_EQ(targetFrame(workArea, {false}), QRect(1124, 584, 304, 272));
    EXPECT_EQ(targetFrame(workArea, {true}), QRect(1124, 542, 304, 314)) << "error line";
    EXPECT_EQ(targetFrame(workArea, {false, true}), QRect(1124, 290, 304, 566));
    EXPECT_EQ(targetFrame(workArea, std::vector<bool>(5, false)), QRect(1124, 12, 304, 844))
        << "capped at the available height less 24";
    EXPECT_EQ(targetFrame(QRect(0, 0, 400, 20), {false}).height(), 1);

    const ScreenArea left{{0, 0, 1440, 900}, {0, 0, 1440, 868}};
    const ScreenArea right{{1440, 0, 1920, 1080}, {1440, 40, 1920, 1040}};
    const QRect panelScreen(5, 5, 500, 500);
    EXPECT_EQ(trayArea(panelScreen, {left, right}, {2000, 10}, left.available), panelScreen);
    EXPECT_EQ(trayArea({}, {left, right}, {2000, 10}, left.available), right.available);
    EXPECT_EQ(targetFrame(right.available, {false}), QRect(3044, 796, 304, 272));
    EXPECT_EQ(trayArea({}, {left, right}, {-50, 10}, left.available), left.available)
        << "pointer on no screen: the primary one";
    EXPECT_EQ(trayArea({}, {}, {0, 0}, {}), QRect(0, 0, 1000, 800));
}

TEST(TrayGeometry, CardsSitAtTheBottomOfTheColumnUntilItScrolls) {
    EXPECT_EQ(columnCardRects({240}, {304, 272}), std::vector<QRect>{QRect(16, 16, 272, 240)});
    EXPECT_EQ(columnCardRects({240, 282}, {304, 700}),
              (std::vector<QRect>{{16, 150, 272, 240}, {16, 402, 272, 282}}))
        << "at the bottom of a taller panel, as while it shrinks";
    EXPECT_EQ(columnCardRects({240, 240}, {294, 100}),
              (std::vector<QRect>{{11, 16, 272, 240}, {11, 268, 272, 240}}))
        << "beside a scroll bar, from the top of a scrolling column";
    EXPECT_EQ(columnContentHeight({240, 282}), 566);
}

TEST(CardListChange, CardsEnterLeaveAndMoveOnlyWhenTheListChanges) {
    const std::vector<ColumnEntry> before{{"b", 240}, {"a", 240}};
    CardListChange change = CardListChange::between(before, {{"c", 240}, {"b", 240}});
    EXPECT_EQ(change.entering, std::vector<std::string>{"c"});
    EXPECT_EQ(change.leaving, std::vector<std::string>{"a"});
    EXPECT_EQ(change.moving, std::vector<std::string>{"b"}) << "the card below it left";
    EXPECT_TRUE(change.changesCards());

    change = CardListChange::between(before, {{"c", 240}, {"b", 240}, {"a", 240}});
    EXPECT_EQ(change.entering, std::vector<std::string>{"c"});
    EXPECT_TRUE(change.moving.empty()) << "a new card comes on top; the others stay";

    change = CardListChange::between(before, before);
    EXPECT_FALSE(change.changesCards()) << "the same list again";
    EXPECT_TRUE(change.moving.empty());
    change = CardListChange::between(before, {{"b", 240}, {"a", 282}});
    EXPECT_FALSE(change.changesCards()) << "an error line is no change of the list";
    EXPECT_EQ(change.moving, std::vector<std::string>{"b"});
}

TEST(CardTransition, CardsSlideFromTheRightWhileFadingOrOnlyFadeWithReducedMotion) {
    const CardTransition enter = CardTransition::entering(288, false);
    EXPECT_EQ(enter.at(0), (CardPose{288, 0, 0}));
    EXPECT_EQ(enter.at(1), (CardPose{0, 0, 1}));
    EXPECT_EQ(CardTransition::entering(288, true).at(0), (CardPose{0, 0, 0})) << "only a fade";
    const CardTransition leave = CardTransition::leaving(288, false);
    EXPECT_EQ(leave.at(0), (CardPose{0, 0, 1}));
    EXPECT_EQ(leave.at(1), (CardPose{288, 0, 0}));
    EXPECT_EQ(CardTransition::leaving(288, true).at(1), (CardPose{0, 0, 0}));
    EXPECT_EQ(CardTransition::leaving(288, false).at(1.003).opacity, 0) << "past the end";

    // A card half-way in when the next change comes goes on from there.
    const CardTransition stay = CardTransition::staying({144, 0, 0.5}, 252, false);
    EXPECT_EQ(stay.at(0), (CardPose{144, -252, 0.5}));
    EXPECT_EQ(stay.at(1), (CardPose{0, 0, 1}));
    EXPECT_EQ(CardTransition::staying({0, 0, 0.5}, 252, true).at(0), (CardPose{0, 0, 0.5}))
        << "with reduced motion at its new place at once";

    const QEasingCurve spring = cardListCurve();
    EXPECT_EQ(spring.valueForProgress(0), 0);
    EXPECT_DOUBLE_EQ(spring.valueForProgress(1), 1);
    EXPECT_GT(spring.valueForProgress(0.5), 0.9) << "most of the way after 0.2 s";
    double highest = 0;
    for (int step = 0; step <= 100; ++step) {
        highest = std::max(highest, spring.valueForProgress(step / 100.0));
    }
    EXPECT_LT(highest, 1.005) << "a damped spring hardly overshoots";
}

TEST(TrayGeometry, HoveredCardIsTheOneUnderThePointerAndNoneInGaps) {
    const QRect panel(1124, 326, 304, 530);
    const std::map<std::string, QRect> cards{{"new", {16, 16, 272, 240}},
                                             {"old", {16, 268, 272, 240}}};
    EXPECT_EQ(hoveredCardID(true, panel, {1124 + 20, 326 + 20}, cards), "new");
    EXPECT_EQ(hoveredCardID(true, panel, {1124 + 20, 326 + 300}, cards), "old");
    EXPECT_EQ(hoveredCardID(true, panel, {1124 + 20, 326 + 262}, cards), std::nullopt) << "gap";
    EXPECT_EQ(hoveredCardID(true, panel, {1124 + 5, 326 + 20}, cards), std::nullopt) << "padding";
    EXPECT_EQ(hoveredCardID(false, panel, {1124 + 20, 326 + 20}, cards), std::nullopt);
    EXPECT_EQ(hoveredCardID(true, panel, {20, 20}, cards), std::nullopt) << "outside the panel";
}

TEST(TrayTransitions, PanelSlidesInAndOutUnlessMotionIsReduced) {
    TrayTransitions transitions;
    const QRect target(1124, 584, 304, 272);
    PanelStep step = transitions.refresh(true, false, {}, target, false);
    EXPECT_EQ(step.kind, PanelStep::Kind::show);
    EXPECT_EQ(step.from, QRect(1204, 604, 304, 272)) << "80 right and 20 down";
    EXPECT_EQ(step.to, target);
    EXPECT_EQ(step.fromOpacity, 0);
    EXPECT_EQ(step.toOpacity, 1);
    EXPECT_EQ(step.durationMs, 250);

    const QRect taller(1124, 32, 304, 824);
    step = transitions.refresh(true, true, target, taller, false);
    EXPECT_EQ(step.kind, PanelStep::Kind::resize);
    EXPECT_EQ(step.fromOpacity, 1) << "made opaque at once";
    EXPECT_EQ(step.to, taller);

    step = transitions.refresh(false, true, taller, target, false);
    EXPECT_EQ(step.kind, PanelStep::Kind::hide);
    EXPECT_EQ(step.to, QRect(1214, 32, 304, 824)) << "90 right";
    EXPECT_EQ(step.toOpacity, 0);
    EXPECT_EQ(step.durationMs, 180);
    const int hide = step.transition;
    EXPECT_TRUE(transitions.hideStillCurrent(hide));
    // A screenshot arriving during the fade keeps the panel on screen.
    step = transitions.refresh(true, true, taller, target, false);
    EXPECT_EQ(step.kind, PanelStep::Kind::resize);
    EXPECT_FALSE(transitions.hideStillCurrent(hide));

    TrayTransitions reduced({0, 0});
    step = reduced.refresh(true, false, {}, target, true);
    EXPECT_EQ(step.from, target) << "no movement";
    EXPECT_EQ(step.durationMs, 0);
    step = reduced.refresh(false, true, target, target, true);
    EXPECT_EQ(step.to, target);
    EXPECT_EQ(step.durationMs, 0);
    EXPECT_EQ(reduced.refresh(false, false, {}, target, true).kind, PanelStep::Kind::none);
}

TEST(SwipeTracker, SavesOnlyRightwardSwipesBeyondTheThreshold) {
    using Phase = SwipeInput::Phase;
    SwipeTracker tracker;
    const auto swipe = [&](std::initializer_list<double> moves, Phase last = Phase::ended) {
        tracker.handle({0, 0, true, Phase::began}, true);
        for (const double dx : moves) {
            tracker.handle({dx, 0, true, Phase::changed}, true);
        }
        return tracker.handle({0, 0, true, last}, true);
    };
    EXPECT_FALSE(swipe({30, 35}).save) << "exactly 65";
    const SwipeOutput saved = swipe({30, 35.5});
    EXPECT_TRUE(saved.save);
    EXPECT_EQ(saved.offset, 0) << "the card returns";
    EXPECT_FALSE(swipe({80, -30}).save) << "80 - 30 = 50";
    EXPECT_FALSE(swipe({-40, 20}).save);
    EXPECT_EQ(tracker.distance(), 0);
    EXPECT_FALSE(swipe({100}, Phase::cancelled).save);

    tracker.handle({0, 0, true, Phase::began}, true);
    EXPECT_EQ(tracker.handle({-10, 0, true, Phase::changed}, true).offset, 0) << "never below 0";
    EXPECT_EQ(tracker.handle({50, 10, true, Phase::changed}, true).offset, 50);
    EXPECT_EQ(tracker.handle({40, 0, true, Phase::momentum}, true).offset, 0);
    EXPECT_EQ(tracker.distance(), 50) << "momentum ignored";
    EXPECT_EQ(tracker.handle({40, 0, false, Phase::changed}, true).offset, 0);
    EXPECT_EQ(tracker.distance(), 50) << "a wheel mouse is ignored";
    EXPECT_EQ(tracker.handle({40, 0, true, Phase::changed}, false).offset, 0);
    EXPECT_EQ(tracker.distance(), 50) << "nothing while busy";
    const SwipeOutput vertical = tracker.handle({5, 30, true, Phase::changed}, true);
    EXPECT_FALSE(vertical.consumed) << "mostly vertical: the column scrolls";
    EXPECT_TRUE(tracker.handle({20, 0, true, Phase::ended}, true).save);
}

TEST(CardRules, ThresholdsAndFinishMenuRules) {
    EXPECT_FALSE(startsFileDrag({10, 10}, {14, 10}));
    EXPECT_TRUE(startsFileDrag({10, 10}, {14.1, 10}));
    EXPECT_TRUE(stripDragSaves({70, 20}));
    EXPECT_FALSE(stripDragSaves({70, 75}));
    EXPECT_FALSE(stripDragSaves({65, 0}));
    EXPECT_EQ(cardSwipeOffset(200), 140);
    EXPECT_EQ(cardSwipeOffset(30), 30);
    EXPECT_DOUBLE_EQ(cardSwipeOpacity(60), 0.8);
    EXPECT_DOUBLE_EQ(cardSwipeOpacity(200), 0.6);

    EXPECT_TRUE(finishMenuEnabled(false, 2));
    EXPECT_FALSE(finishMenuEnabled(false, 1)) << "a single finish";
    EXPECT_FALSE(finishMenuEnabled(true, 2)) << "after editing";

    EXPECT_TRUE(DesktopMotionPreference::reducesMotion(u"0"_s, {}));
    EXPECT_FALSE(DesktopMotionPreference::reducesMotion(u"0.5"_s, u"true\n"_s));
    EXPECT_TRUE(DesktopMotionPreference::reducesMotion({}, u"false\n"_s));
    EXPECT_FALSE(DesktopMotionPreference::reducesMotion({}, {}));
}

} // namespace
} // namespace cadrelle
