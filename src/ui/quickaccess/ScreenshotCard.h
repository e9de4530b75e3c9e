#pragma once

#include "CardTransition.h"
#include "StampedImage.h"
#include "capture/PendingScreenshot.h"

#include <QPointF>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace cadrelle {

class CardHoverRow;
class CardImageView;
class DesktopLauncher;
class DragStarter;
class QuickAccessItems;
class WordElidedLabel;

// What a card needs besides the Quick Access items: a way to drag files out and the file
// manager that shows the original capture.
struct CardServices {
    std::shared_ptr<DragStarter> drags;
    std::shared_ptr<DesktopLauncher> launcher;
};

// One pending screenshot in the Quick Access panel: a title row with the
// actions menu, the framed image (drag to share, swipe right to save), the
// buttons shown while the pointer is over the card, a hint row with Save,
// and the error of the last failed action. Every action goes to the
// Quick Access items.
class ScreenshotCard final : public QWidget {
    Q_OBJECT

public:
    ScreenshotCard(QuickAccessItems& items, const PendingScreenshot& item, CardServices services,
                   QWidget* parent = nullptr);

    const PendingScreenshot& item() const { return item_; }
    // The model's newer version of the same item; a changed framed file is
    // read again and the copy button returns to "Copy image".
    void setItem(const PendingScreenshot& item);
    // The pointer is over the card: the hover buttons fade in or out, and
    // the image is read again if its file changed.
    void setHovering(bool hovering, bool animate);
    // Once a second: after editing, edits saved by the editor show up.
    void tick();

    // Puts the card at `rest` in its parent, drawn as `pose` says (the
    // column's transitions); a swipe in progress moves and fades it further.
    void place(QPoint rest, CardPose pose);
    const CardPose& pose() const { return pose_; }
    // How opaque the card is drawn now.
    double opacity() const;
    // The card is on its way out of the column: the pointer's clicks, drags
    // and wheel turns go past it to what lies below.
    void setLeaving();
    bool leaving() const { return leaving_; }

    // The card's named actions, for assistive technologies.
    static QStringList actionNames();
    void triggerAction(const QString& name);

signals:
    // The card moved or its opacity changed; its shadow follows.
    void appearanceChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeTitleRow();
    QWidget* makeImageArea();
    QWidget* makeHintRow();
    void fillMenu();
    void updateFromModel();
    void reloadImage();
    // Asks for the picture the first time the image is drawn (or drawn at
    // another size): cards scrolled out of sight decode nothing.
    void ensureImage();
    QSize imageBounds() const;
    void setSwipeOffset(double offset);
    void applyAppearance();
    void save();
    void copy();
    bool busy() const;
    bool handleStripDrag(QEvent* event);
    void showImageToolTip(QPoint at);

    QuickAccessItems& items_;
    PendingScreenshot item_;
    CardServices services_;
    StampedImage* image_;
    bool copied_ = false;
    std::optional<QPointF> stripPress_;
    bool stripDragging_ = false;
    double swipe_ = 0;
    QPoint rest_;
    CardPose pose_;
    bool leaving_ = false;

    QMenu* moreMenu_;
    QMenu* finishMenu_;
    CardImageView* imageView_ = nullptr;
    CardHoverRow* hoverRow_ = nullptr;
    QWidget* busyOverlay_ = nullptr;
    QWidget* hintRow_ = nullptr;
    WordElidedLabel* hint_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QLabel* error_ = nullptr;
};

} // namespace cadrelle
