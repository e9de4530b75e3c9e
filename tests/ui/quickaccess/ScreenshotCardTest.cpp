#include "CardFixture.h"
#include "ui/WidgetQueries.h"
#include "ui/WordElidedLabel.h"
#include "ui/quickaccess/CardImageView.h"

#include <QAccessible>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

#include <fstream>

#include <sys/stat.h>

namespace cadrelle {
namespace {

using namespace Qt::StringLiterals;

using ScreenshotCardTest = test::CardFixture;

QStringList titles(const QMenu& menu) {
    QStringList result;
    for (const QAction* action : menu.actions()) {
        result.push_back(action->isSeparator() ? u"-"_s : action->text());
    }
    return result;
}

QToolButton* button(const QWidget& root, const QString& name) {
    for (auto* found : root.findChildren<QToolButton*>()) {
        if (found->accessibleName() == name) {
            return found;
        }
    }
    return nullptr;
}

// The label showing `text`, or shortening it (its accessible name is then
// the whole text).
QLabel* labelWithText(const QWidget& root, const QString& text) {
    for (auto* label : root.findChildren<QLabel*>()) {
        if (label->text() == text || label->accessibleName() == text) {
            return label;
        }
    }
    return nullptr;
}

TEST_F(ScreenshotCardTest, MenusButtonsAndTextsFollowTheItem) {
    const PendingScreenshot item = addItem();
    auto card = makeCard(item);
    EXPECT_EQ(card->size(), QSize(272, 240));

    QToolButton* more = button(*card, u"More screenshot actions"_s);
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(more->toolTip(), u"More screenshot actions"_s);
    EXPECT_EQ(
        titles(*more->menu()),
        (QStringList{u"Save to Desktop"_s, u"Save to Another Folder\u2026"_s, u"Save Store Image"_s,
                     u"-"_s, u"Edit in Image Editor"_s, u"Copy Image"_s, u"Bezel Finish"_s, u"-"_s,
                     u"Show Original in File Manager"_s, u"Move Screenshot to Trash"_s}));
    const QMenu* finishes = more->menu()->actions()[6]->menu();
    ASSERT_NE(finishes, nullptr);
    QStringList finishTitles = titles(*finishes);
    finishTitles.sort();
    EXPECT_EQ(finishTitles, (QStringList{u"Default"_s, u"Silver"_s}));
    int checked = 0;
    for (const QAction* entry : finishes->actions()) {
        checked += entry->isChecked() ? 1 : 0;
    }
    EXPECT_EQ(checked, 1) << "the current finish";
    EXPECT_TRUE(finishes->menuAction()->isEnabled());

    for (const QString& title : {u"Move screenshot to Trash"_s, u"Edit in Image Editor"_s,
                                 u"Change bezel finish"_s, u"Copy image"_s, u"Save screenshot"_s}) {
        ASSERT_NE(button(*card, title), nullptr) << title.toStdString();
        EXPECT_EQ(button(*card, title)->toolTip(), title);
    }
    EXPECT_FALSE(button(*card, u"Save screenshot"_s)->isVisible()) << "only while hovering";
    card->setHovering(true, false);
    EXPECT_TRUE(button(*card, u"Save screenshot"_s)->isVisible());
    EXPECT_TRUE(button(*card, u"Change bezel finish"_s)->isEnabled());
    const QLabel* hint = labelWithText(*card, u"Drag to share \u00B7 Swipe right to save"_s);
    ASSERT_NE(hint, nullptr);
    EXPECT_GE(hint->width(), hint->fontMetrics().horizontalAdvance(hint->text()))
        << "the whole hint fits beside Save";
    EXPECT_EQ(test::findButton(*card, u"Save"_s)->toolTip(),
              u"Save to "_s + QString::fromStdString(item.destination));

    more->menu()->actions()[8]->trigger();
    EXPECT_EQ(launcher->revealed, std::vector<std::filesystem::path>{item.record.original});

    items->editScreenshot(item);
    card->setItem(items->pendingScreenshots().back());
    EXPECT_NE(labelWithText(*card, u"Save edits in your image editor, then swipe \u2192"_s),
              nullptr);
    EXPECT_FALSE(button(*card, u"Change bezel finish"_s)->isEnabled());
    EXPECT_EQ(button(*card, u"Change bezel finish"_s)->toolTip(),
              u"Choose a bezel before editing to preserve annotations"_s);
    EXPECT_FALSE(finishes->menuAction()->isEnabled());

    items->screenshotError("The disk is full.", item);
    EXPECT_EQ(card->height(), 282) << "error line";
    QLabel* error = labelWithText(*card, u"The disk is full."_s);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->toolTip(), u"The disk is full."_s);

    panels->answers.push_back({});
    more->menu()->actions()[1]->trigger();
    ASSERT_EQ(panels->shown.size(), 1u);
    EXPECT_TRUE(isPending(item)) << "no folder chosen";
}

// Whether all of `label`'s text is drawn inside it, wrapped as it wraps.
bool showsAllItsText(const QLabel& label) {
    const QRect room = label.contentsRect();
    const QRect needed = label.fontMetrics().boundingRect(
        room, label.wordWrap() ? int(Qt::TextWordWrap) : 0, label.text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

TEST_F(ScreenshotCardTest, HintRowShowsItsWholeTextOrEndsAfterAWholeWord) {
    const PendingScreenshot item = addItem();
    auto card = makeCard(item);
    items->editScreenshot(item);
    card->setItem(items->pendingScreenshots().back());
    const QString edited = u"Save edits in your image editor, then swipe \u2192"_s;
    QLabel* hint = labelWithText(*card, edited);
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(showsAllItsText(*hint)) << hint->text().toStdString();
    const QString shown = hint->text().simplified();
    if (shown != edited) {
        ASSERT_TRUE(shown.endsWith(u"\u2026"_s)) << shown.toStdString();
        const QString kept = shown.chopped(1);
        EXPECT_TRUE(edited.startsWith(kept + u' '))
            << "cut after a whole word: " << shown.toStdString();
        EXPECT_EQ(hint->toolTip(), edited) << "the whole hint stays readable";
    }

    // Narrower than any word: still no word cut without the ellipsis.
    EXPECT_EQ(wordElidedText(edited, hint->font(), 10'000, 1), edited);
    const QString tiny = wordElidedText(edited, hint->font(), 60, 1);
    EXPECT_TRUE(tiny.endsWith(u"\u2026"_s)) << tiny.toStdString();
    EXPECT_LE(QFontMetrics(hint->font()).horizontalAdvance(tiny), 60);
}

TEST_F(ScreenshotCardTest, ImageTipKeepsClearOfTheHoverButtons) {
    const PendingScreenshot item = addItem();
    auto card = makeCard(item);
    card->move(200, 150);
    card->setHovering(true, false);
    auto* image = card->findChild<CardImageView*>();
    QWidget* buttons = button(*card, u"Move screenshot to Trash"_s)->parentWidget();
    ASSERT_TRUE(image && buttons->isVisible());
    const QRect buttonsOnScreen(buttons->mapToGlobal(QPoint(0, 0)), buttons->size());

    // The pointer rests on the image just above the buttons, then anywhere
    // else on it: the tip never lies over them.
    const int justAbove = image->mapFromGlobal(buttonsOnScreen.topLeft()).y() - 2;
    for (const QPoint at : {QPoint(image->width() / 2, justAbove), QPoint(8, 8),
                            QPoint(image->width() - 8, justAbove)}) {
        // Another text first, so that the image's tip is placed anew.
        QToolTip::showText(QPoint(0, 0), u"-"_s);
        QHelpEvent help(QEvent::ToolTip, at, image->mapToGlobal(at));
        QApplication::sendEvent(image, &help);
        QWidget* tip = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->windowType() == Qt::ToolTip) {
                tip = window;
            }
        }
        ASSERT_NE(tip, nullptr) << "no tip at " << at.x() << "," << at.y();
        EXPECT_EQ(QToolTip::text(), image->toolTip());
        EXPECT_FALSE(tip->frameGeometry().intersects(buttonsOnScreen))
            << "tip at " << tip->x() << "," << tip->y() << " " << tip->width() << "x"
            << tip->height() << " over the buttons at " << buttonsOnScreen.x() << ","
            << buttonsOnScreen.y();
    }
}

TEST_F(ScreenshotCardTest, GesturesSaveOrShareOnlyPastTheirThresholds) {
    const PendingScreenshot first = addItem();
    auto card = makeCard(first);
    QWidget* hintRow =
        labelWithText(*card, u"Drag to share \u00B7 Swipe right to save"_s)->parentWidget();
    // A pointer dragged in three steps: the row follows it, so each event
    // is given where the pointer is on the screen, not where it was pressed.
    const QPoint start = hintRow->mapToGlobal(QPoint(20, 16));
    const auto stripDrag = [&](QPoint by) {
        QTest::mousePress(hintRow, Qt::LeftButton, {}, hintRow->mapFromGlobal(start));
        for (int step = 1; step <= 3; ++step) {
            QTest::mouseMove(hintRow, hintRow->mapFromGlobal(start + by * step / 3));
        }
        QTest::mouseRelease(hintRow, Qt::LeftButton, {}, hintRow->mapFromGlobal(start + by));
    };
    stripDrag({70, 75});
    EXPECT_TRUE(isPending(first)) << "70 right, 75 down";
    stripDrag({70, 20});
    EXPECT_FALSE(isPending(first)) << "70 right, 20 down";

    const PendingScreenshot second = addItem();
    card = makeCard(second);
    auto* image = card->findChild<CardImageView*>();
    ASSERT_FALSE(image->picture().isNull());
    const QPoint press = image->rect().center();
    QTest::mousePress(image, Qt::LeftButton, {}, press);
    QTest::mouseMove(image, press + QPoint(4, 0));
    EXPECT_TRUE(drags->files.isEmpty()) << "exactly 4 away";
    QTest::mouseMove(image, press + QPoint(3, 3));
    QTest::mouseMove(image, press + QPoint(30, 3));
    EXPECT_EQ(drags->files, QStringList{QString::fromStdString(second.record.output)})
        << "one drag per press";
    EXPECT_TRUE(isPending(second)) << "a refused drop changes nothing";
    QTest::mouseRelease(image, Qt::LeftButton, {}, press);

    drags->accept = true;
    QTest::mousePress(image, Qt::LeftButton, {}, press);
    QTest::mouseMove(image, press + QPoint(10, 0));
    QTest::mouseRelease(image, Qt::LeftButton, {}, press);
    EXPECT_FALSE(isPending(second)) << "shared";

    const PendingScreenshot third = addItem();
    card = makeCard(third);
    image = card->findChild<CardImageView*>();
    const auto scroll = [&](QPoint delta, Qt::ScrollPhase phase) {
        QWheelEvent event(QPointF(10, 10), image->mapToGlobal(QPointF(10, 10)), delta, delta,
                          Qt::NoButton, Qt::NoModifier, phase, true);
        QApplication::sendEvent(image, &event);
        return event.isAccepted();
    };
    scroll({0, 0}, Qt::ScrollBegin);
    EXPECT_FALSE(scroll({5, 40}, Qt::ScrollUpdate)) << "vertical scrolling goes to the column";
    EXPECT_TRUE(scroll({70, 0}, Qt::ScrollUpdate));
    EXPECT_EQ(card->x(), 70) << "the card follows the fingers";
    scroll({0, 0}, Qt::ScrollEnd);
    EXPECT_FALSE(isPending(third));
}

TEST_F(ScreenshotCardTest, ImageIsReadAgainOnlyWhenItsFileChanges) {
    const PendingScreenshot item = addItem();
    auto card = makeCard(item);
    const auto* image = card->findChild<CardImageView*>();
    const QSize framed = image->picture().size();
    ASSERT_FALSE(framed.isEmpty());

    // Another picture of the same byte count and date: taken for the same file.
    const std::filesystem::path framedFile = item.record.output;
    const auto size = std::filesystem::file_size(framedFile);
    const auto date = std::filesystem::last_write_time(framedFile);
    const auto other = dir / "other.png";
    test::writeScreenshot(other, 8, 8);
    std::filesystem::resize_file(other, size); // PNG readers ignore what follows the end
    std::filesystem::copy_file(other, framedFile,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::last_write_time(framedFile, date);
    card->setHovering(true, false);
    waitForPicture(*card);
    EXPECT_EQ(image->picture().size(), framed);

    std::filesystem::last_write_time(framedFile, date + std::chrono::seconds(5));
    card->tick();
    waitForPicture(*card);
    EXPECT_EQ(image->picture().size(), framed) << "not reread every second before editing";
    items->editScreenshot(item);
    card->setItem(items->pendingScreenshots().back());
    card->tick();
    waitForPicture(*card);
    EXPECT_EQ(image->picture().size(), QSize(8, 8)) << "edits show up";
}

TEST_F(ScreenshotCardTest, APictureIsKeptAtTheSizeItIsShownAndOnlyRegularFilesAreRead) {
    // A framed picture far larger than the card shows it.
    const PendingScreenshot large = addItem();
    std::filesystem::remove(large.record.output);
    test::writeScreenshot(large.record.output, 660, 1434);
    auto card = makeCard(large);
    const auto* image = card->findChild<CardImageView*>();
    const QSize bounds = imageBounds(*card);
    const QSize kept = image->picture().size();
    ASSERT_FALSE(kept.isEmpty());
    EXPECT_TRUE(kept.width() <= bounds.width() && kept.height() <= bounds.height())
        << kept.width() << "x" << kept.height() << " kept for " << bounds.width() << "x"
        << bounds.height();
    EXPECT_TRUE(kept.width() == bounds.width() || kept.height() == bounds.height())
        << "as large as it is shown";
    EXPECT_NEAR(double(kept.width()) / kept.height(), 660.0 / 1434.0, 0.02) << "in proportion";
    // Copying reads the file itself.
    card->triggerAction(u"Copy image"_s);
    EXPECT_EQ(clipboard->contents, std::vector<std::string>{"image:" + large.record.output});

    // A pipe where the framed picture should be is never opened for reading,
    // which would wait for a writer forever: the card shows no picture.
    const PendingScreenshot piped = addItem();
    std::filesystem::remove(piped.record.output);
    ASSERT_EQ(::mkfifo(piped.record.output.c_str(), 0600), 0);
    card = makeCard(piped);
    EXPECT_TRUE(card->findChild<CardImageView*>()->picture().isNull());
}

TEST_F(ScreenshotCardTest, AccessibleActionsDoWhatTheButtonsDo) {
    const PendingScreenshot item = addItem();
    auto card = makeCard(item);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(card.get());
    ASSERT_NE(accessible, nullptr);
    QAccessibleActionInterface* actions = accessible->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(actions->actionNames(),
              (QStringList{u"Save screenshot"_s, u"Copy image"_s, u"Edit in Image Editor"_s,
                           u"Move screenshot to Trash"_s}));
    actions->doAction(u"Copy image"_s);
    EXPECT_EQ(clipboard->contents, std::vector<std::string>{"image:" + item.record.output});
    EXPECT_NE(button(*card, u"Copied"_s), nullptr);
    actions->doAction(u"Move screenshot to Trash"_s);
    EXPECT_FALSE(isPending(item));
    EXPECT_EQ(trash->trashed.size(), 1u);
}

} // namespace
} // namespace cadrelle
