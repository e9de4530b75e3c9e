#include "ScreenshotCard.h"

#include "CardAccessible.h"
#include "CardHoverRow.h"
#include "CardIcons.h"
#include "CardImageView.h"
#include "CardRules.h"
#include "TrayGeometry.h"
#include "model/QuickAccessItems.h"
#include "ui/LabelStyle.h"
#include "ui/PictureLoader.h"
#include "ui/WordElidedLabel.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace cadrelle {
namespace {

constexpr int kRowHeight = 32;
constexpr int kRowPadding = 12;
constexpr int kImageAreaWidth = 248;
constexpr int kImageAreaHeight = 176;
constexpr int kImageInset = 12;
constexpr int kErrorHeight = 42;
constexpr int kHoverRowBottom = 10;

QHBoxLayout* rowLayout(QWidget* row) {
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(kRowPadding, 0, kRowPadding, 0);
    layout->setSpacing(6);
    row->setFixedHeight(kRowHeight);
    return layout;
}

} // namespace

ScreenshotCard::ScreenshotCard(QuickAccessItems& items, const PendingScreenshot& item,
                               CardServices services, QWidget* parent)
    : QWidget(parent), items_(items), item_(item), services_(std::move(services)),
      image_(new StampedImage(PictureLoader::shared(), this)), moreMenu_(new QMenu(this)),
      finishMenu_(new QMenu(QStringLiteral("Bezel Finish"), this)) {
    installCardAccessible();
    setFixedSize(kCardWidth, kCardHeight);

    // The shadow is drawn by the column behind the card (CardShadow): the
    // card keeps its one graphics effect for fading.
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeTitleRow());
    column->addWidget(makeImageArea());
    column->addWidget(makeHintRow());
    error_ = new QLabel;
    error_->setFixedHeight(kErrorHeight);
    error_->setContentsMargins(kRowPadding, 0, kRowPadding, 0);
    error_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    error_->setWordWrap(true);
    error_->setTextFormat(Qt::PlainText);
    setFontPoints(*error_, 10);
    QPalette red = error_->palette();
    red.setColor(QPalette::WindowText, QColor(0xd9, 0x30, 0x25));
    error_->setPalette(red);
    column->addWidget(error_);
    column->addStretch();
    fillMenu();

    connect(&items_, &QuickAccessItems::itemChanged, this, [this](const std::string& id) {
        if (id == item_.record.id) {
            updateFromModel();
        }
    });
    connect(&items_, &QuickAccessItems::framesChanged, this, &ScreenshotCard::updateFromModel);
    connect(image_, &StampedImage::pictureChanged, this,
            [this] { imageView_->setPicture(image_->picture()); });
    updateFromModel();
}

QWidget* ScreenshotCard::makeTitleRow() {
    auto* row = new QWidget;
    auto* layout = rowLayout(row);
    layout->addWidget(iconLabel(readyIcon(), 16));
    auto* title = new QLabel(QStringLiteral("Screenshot"));
    setFontPoints(*title, 12, QFont::DemiBold);
    layout->addWidget(title);
    layout->addStretch();
    auto* more = new QToolButton;
    more->setIcon(moreIcon());
    more->setAutoRaise(true);
    more->setPopupMode(QToolButton::InstantPopup);
    more->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    more->setToolTip(QStringLiteral("More screenshot actions"));
    more->setAccessibleName(QStringLiteral("More screenshot actions"));
    more->setMenu(moreMenu_);
    layout->addWidget(more);
    return row;
}

QWidget* ScreenshotCard::makeImageArea() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(kRowPadding, 0, kRowPadding, 0);
    auto* area = new QWidget;
    area->setFixedSize(kImageAreaWidth, kImageAreaHeight);
    layout->addWidget(area);

    imageView_ = new CardImageView(services_.drags, area);
    imageView_->setGeometry(
        area->rect().adjusted(kImageInset, kImageInset, -kImageInset, -kImageInset));
    imageView_->setToolTip(QStringLiteral(
        "Drag the image to an app, folder, or Desktop. Swipe right with two fingers to save."));
    imageView_->installEventFilter(this);
    imageView_->setAccessibleName(
        QStringLiteral("Framed screenshot. Drag to share, or swipe right to save."));
    connect(imageView_, &CardImageView::swiped, this, &ScreenshotCard::setSwipeOffset);
    connect(imageView_, &CardImageView::saveRequested, this, &ScreenshotCard::save);
    connect(imageView_, &CardImageView::drawn, this, &ScreenshotCard::ensureImage);
    imageView_->setFile(QString::fromStdString(item_.record.output));
    connect(imageView_, &CardImageView::dragEnded, this,
            [this](bool accepted) { items_.screenshotDragEnded(item_, accepted); });

    hoverRow_ = new CardHoverRow(finishMenu_, area);
    hoverRow_->adjustSize();
    hoverRow_->move((area->width() - hoverRow_->width()) / 2,
                    area->height() - kHoverRowBottom - hoverRow_->height());
    connect(hoverRow_, &CardHoverRow::discardClicked, this,
            [this] { items_.discardScreenshot(item_); });
    connect(hoverRow_, &CardHoverRow::editClicked, this, [this] { items_.editScreenshot(item_); });
    connect(hoverRow_, &CardHoverRow::copyClicked, this, &ScreenshotCard::copy);
    connect(hoverRow_, &CardHoverRow::saveClicked, this, &ScreenshotCard::save);

    busyOverlay_ = new QWidget(area);
    busyOverlay_->setGeometry(area->rect());
    busyOverlay_->setAutoFillBackground(true);
    auto* busyLayout = new QVBoxLayout(busyOverlay_);
    busyLayout->addStretch();
    auto* spinner = new QProgressBar;
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedSize(64, 6);
    busyLayout->addWidget(spinner, 0, Qt::AlignHCenter);
    auto* changing = new QLabel(QStringLiteral("Changing bezel\u2026"));
    setFontPoints(*changing, 11);
    busyLayout->addWidget(changing, 0, Qt::AlignHCenter);
    busyLayout->addStretch();
    busyOverlay_->hide();
    return row;
}

QWidget* ScreenshotCard::makeHintRow() {
    hintRow_ = new QWidget;
    hintRow_->installEventFilter(this);
    auto* layout = rowLayout(hintRow_);
    auto* arrow = iconLabel(hintArrowIcon(), 12);
    setSecondary(*arrow);
    layout->addWidget(arrow);
    // Wrapped over the row's two lines, and shortened after a whole word
    // when even those are too narrow.
    hint_ = new WordElidedLabel;
    setFontPoints(*hint_, 10);
    setSecondary(*hint_);
    layout->addWidget(hint_, 1);
    saveButton_ = new QPushButton(QStringLiteral("Save"));
    saveButton_->setFlat(true);
    setFontPoints(*saveButton_, 11, QFont::DemiBold);
    QPalette indigo = saveButton_->palette();
    indigo.setColor(QPalette::ButtonText, QColor(88, 86, 214));
    saveButton_->setPalette(indigo);
    saveButton_->setCursor(Qt::PointingHandCursor);
    // As wide as its word: the style's minimum width for push buttons would
    // take the room the hint needs.
    constexpr int kSavePadding = 16;
    saveButton_->setFixedWidth(saveButton_->fontMetrics().horizontalAdvance(saveButton_->text()) +
                               kSavePadding);
    connect(saveButton_, &QPushButton::clicked, this, &ScreenshotCard::save);
    layout->addWidget(saveButton_);
    return hintRow_;
}

void ScreenshotCard::fillMenu() {
    connect(moreMenu_->addAction(QStringLiteral("Save to Desktop")), &QAction::triggered, this,
            [this] {
                const QString desktop =
                    QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
                items_.saveScreenshot(item_, std::filesystem::path(desktop.toStdString()));
            });
    connect(moreMenu_->addAction(QStringLiteral("Save to Another Folder\u2026")),
            &QAction::triggered, this, [this] { items_.saveScreenshotElsewhere(item_); });
    connect(moreMenu_->addAction(QStringLiteral("Save Store Image")), &QAction::triggered, this,
            [this] { items_.saveStoreImage(item_); });
    moreMenu_->addSeparator();
    connect(moreMenu_->addAction(kEditTitle), &QAction::triggered, this,
            [this] { items_.editScreenshot(item_); });
    connect(moreMenu_->addAction(QStringLiteral("Copy Image")), &QAction::triggered, this,
            &ScreenshotCard::copy);
    moreMenu_->addMenu(finishMenu_);
    moreMenu_->addSeparator();
    connect(moreMenu_->addAction(QStringLiteral("Show Original in File Manager")),
            &QAction::triggered, this,
            [this] { services_.launcher->reveal(item_.record.original); });
    connect(moreMenu_->addAction(QStringLiteral("Move Screenshot to Trash")), &QAction::triggered,
            this, [this] { items_.discardScreenshot(item_); });
}

void ScreenshotCard::updateFromModel() {
    const bool isBusy = busy();
    busyOverlay_->setVisible(isBusy);
    imageView_->setInteractive(!isBusy);

    const auto& errors = items_.previewErrors();
    const auto error = errors.find(item_.record.id);
    const bool hasError = error != errors.end();
    error_->setVisible(hasError);
    error_->setText(hasError ? QString::fromStdString(error->second) : QString());
    error_->setToolTip(error_->text());
    setFixedHeight(hasError ? kCardHeightWithError : kCardHeight);

    hint_->setFullText(hintText(item_.editorOpened));
    saveButton_->setToolTip(saveToolTip(item_.destination));
    hoverRow_->setCopied(copied_);

    const std::vector<FrameAsset> finishes = items_.finishes(item_);
    const bool finishEnabled = finishMenuEnabled(item_.editorOpened, finishes.size());
    hoverRow_->setFinishMenuState(finishEnabled, finishMenuToolTip(item_.editorOpened));
    finishMenu_->menuAction()->setEnabled(finishEnabled);
    finishMenu_->clear();
    for (const FrameAsset& frame : finishes) {
        QAction* entry = finishMenu_->addAction(QString::fromStdString(frame.color));
        entry->setCheckable(true);
        entry->setChecked(frame.id == item_.frameID);
        connect(entry, &QAction::triggered, this,
                [this, frame] { items_.changeScreenshotFinish(item_, frame); });
    }
}

bool ScreenshotCard::busy() const {
    return items_.previewBusyIDs().count(item_.record.id) != 0;
}

void ScreenshotCard::setItem(const PendingScreenshot& item) {
    const bool newFile = item.record.output != item_.record.output;
    item_ = item;
    if (newFile) {
        image_->forget();
        copied_ = false;
        reloadImage();
    }
    updateFromModel();
}

void ScreenshotCard::setHovering(bool hovering, bool animate) {
    // The row fades with an effect of its own, which may not sit inside the
    // card's: while the card is faded the row changes at once.
    hoverRow_->setShown(hovering, animate && graphicsEffect() == nullptr);
    if (hovering) {
        reloadImage();
    }
}

void ScreenshotCard::tick() {
    if (item_.editorOpened) {
        reloadImage();
    }
}

QSize ScreenshotCard::imageBounds() const {
    return imageView_->size() * imageView_->devicePixelRatioF();
}

void ScreenshotCard::reloadImage() {
    image_->reload(item_.record.output, imageBounds(), imageView_->devicePixelRatioF());
    imageView_->setFile(QString::fromStdString(item_.record.output));
}

void ScreenshotCard::ensureImage() {
    if (!image_->requested(item_.record.output, imageBounds())) {
        reloadImage();
    }
}

void ScreenshotCard::setSwipeOffset(double offset) {
    swipe_ = offset;
    applyAppearance();
}

void ScreenshotCard::place(QPoint rest, CardPose pose) {
    rest_ = rest;
    pose_ = pose;
    applyAppearance();
}

double ScreenshotCard::opacity() const {
    return pose_.opacity * cardSwipeOpacity(swipe_);
}

void ScreenshotCard::setLeaving() {
    leaving_ = true;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    stripPress_.reset();
    stripDragging_ = false;
}

// One opacity effect on the whole card, and only while it is needed: Qt
// draws nested graphics effects wrongly, so the hover row's own fade is
// finished first.
void ScreenshotCard::applyAppearance() {
    move(rest_ + QPoint(qRound(pose_.offsetX + cardSwipeOffset(swipe_)), qRound(pose_.offsetY)));
    const double drawn = opacity();
    auto* fade = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect());
    if (drawn >= 1) {
        if (fade != nullptr) {
            setGraphicsEffect(nullptr);
        }
    } else {
        if (fade == nullptr) {
            hoverRow_->finishFade();
            fade = new QGraphicsOpacityEffect;
            setGraphicsEffect(fade);
        }
        fade->setOpacity(drawn);
    }
    emit appearanceChanged();
}

void ScreenshotCard::save() {
    items_.saveScreenshot(item_);
}

void ScreenshotCard::copy() {
    // The model reports a copy it could not make as the card's error, so a
    // change of the errors during the copy means it failed.
    bool failed = false;
    const auto connection =
        connect(&items_, &QuickAccessItems::itemChanged, this, [&](const std::string& id) {
            failed = failed || (id == item_.record.id && items_.previewErrors().count(id) != 0);
        });
    items_.copyScreenshot(item_);
    disconnect(connection);
    copied_ = !failed;
    hoverRow_->setCopied(copied_);
}

QStringList ScreenshotCard::actionNames() {
    return {kSaveTitle, kCopyTitle, kEditTitle, kDiscardTitle};
}

void ScreenshotCard::triggerAction(const QString& name) {
    if (name == kSaveTitle) {
        save();
    } else if (name == kCopyTitle) {
        copy();
    } else if (name == kEditTitle) {
        items_.editScreenshot(item_);
    } else if (name == kDiscardTitle) {
        items_.discardScreenshot(item_);
    }
}

bool ScreenshotCard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == hintRow_) {
        return handleStripDrag(event);
    }
    if (watched == imageView_ && event->type() == QEvent::ToolTip) {
        showImageToolTip(static_cast<QHelpEvent*>(event)->pos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Qt shows a tooltip just below the pointer, where the image's would lie
// over the hover buttons and take the click meant for them: it hangs from
// the image's top edge instead, well above the buttons.
void ScreenshotCard::showImageToolTip(QPoint at) {
    QToolTip::showText(imageView_->mapToGlobal(QPoint(at.x(), 0)), imageView_->toolTip(),
                       imageView_);
}

void ScreenshotCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor border = palette().color(QPalette::WindowText);
    border.setAlphaF(0.12f);
    painter.setPen(QPen(border, 1));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCardCornerRadius,
                            kCardCornerRadius);
}

// A mouse drag to the right on the hint row moves the card with the pointer
// and saves when released far enough to the right. Distances are measured on
// the screen: the row moves with the card, so positions within it would
// shrink by the distance the card has already followed.
bool ScreenshotCard::handleStripDrag(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        stripPress_ = static_cast<QMouseEvent*>(event)->globalPosition();
        stripDragging_ = false;
        return true;
    case QEvent::MouseMove: {
        if (!stripPress_) {
            return false;
        }
        const QPointF moved = static_cast<QMouseEvent*>(event)->globalPosition() - *stripPress_;
        stripDragging_ = stripDragging_ || startsStripDrag(moved);
        if (stripDragging_ && !busy()) {
            setSwipeOffset(std::max(0.0, moved.x()));
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (!stripPress_) {
            return false;
        }
        const QPointF moved = static_cast<QMouseEvent*>(event)->globalPosition() - *stripPress_;
        const bool saves = stripDragging_ && stripDragSaves(moved);
        stripPress_.reset();
        stripDragging_ = false;
        setSwipeOffset(0);
        if (saves) {
            save();
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace cadrelle
