#include "CardHoverRow.h"

#include "CardIcons.h"
#include "CardRules.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QMenu>
#include <QPropertyAnimation>
#include <QToolButton>

namespace cadrelle {
namespace {

constexpr int kButtonSize = 32;
constexpr int kSymbolSize = 16;

void setTitle(QToolButton& button, const QString& title) {
    button.setToolTip(title);
    button.setAccessibleName(title);
}

} // namespace

CardHoverRow::CardHoverRow(QMenu* finishMenu, QWidget* parent)
    : QFrame(parent), opacity_(new QGraphicsOpacityEffect(this)),
      fade_(new QPropertyAnimation(opacity_, "opacity", this)) {
    setObjectName(QStringLiteral("cardHoverRow"));
    // A capsule on a translucent fill of the window colour.
    const QColor fill = palette().color(QPalette::Window);
    setStyleSheet(QStringLiteral("#cardHoverRow { background: rgba(%1, %2, %3, 217); "
                                 "border-radius: %4px; }")
                      .arg(fill.red())
                      .arg(fill.green())
                      .arg(fill.blue())
                      .arg(kButtonSize / 2 + 2));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);

    connect(addButton(discardIcon(), kDiscardTitle), &QToolButton::clicked, this,
            &CardHoverRow::discardClicked);
    connect(addButton(editIcon(), kEditTitle), &QToolButton::clicked, this,
            &CardHoverRow::editClicked);
    finish_ = addButton(finishIcon(), kFinishTitle);
    finish_->setMenu(finishMenu);
    finish_->setPopupMode(QToolButton::InstantPopup);
    finish_->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    copy_ = addButton(copyIcon(), kCopyTitle);
    connect(copy_, &QToolButton::clicked, this, &CardHoverRow::copyClicked);
    connect(addButton(saveScreenshotIcon(), kSaveTitle), &QToolButton::clicked, this,
            &CardHoverRow::saveClicked);

    setGraphicsEffect(opacity_);
    fade_->setDuration(150);
    fade_->setEasingCurve(QEasingCurve::OutCubic);
    connect(fade_, &QPropertyAnimation::finished, this, [this] {
        if (opacity_->opacity() == 0.0) {
            hide();
        }
    });
    opacity_->setOpacity(0);
    hide();
}

QToolButton* CardHoverRow::addButton(const QIcon& icon, const QString& title) {
    auto* button = new QToolButton(this);
    button->setIcon(icon);
    button->setIconSize({kSymbolSize, kSymbolSize});
    button->setFixedSize(kButtonSize, kButtonSize);
    button->setAutoRaise(true);
    setTitle(*button, title);
    layout()->addWidget(button);
    return button;
}

void CardHoverRow::setCopied(bool copied) {
    copy_->setIcon(copied ? copiedIcon() : copyIcon());
    setTitle(*copy_, copyTitle(copied));
}

void CardHoverRow::setFinishMenuState(bool enabled, const QString& toolTip) {
    finish_->setEnabled(enabled);
    finish_->setToolTip(toolTip);
}

void CardHoverRow::setShown(bool shown, bool animate) {
    fade_->stop();
    const double target = shown ? 1.0 : 0.0;
    if (shown) {
        show();
        raise();
    }
    if (!animate) {
        opacity_->setOpacity(target);
        setVisible(shown);
        return;
    }
    fade_->setStartValue(opacity_->opacity());
    fade_->setEndValue(target);
    fade_->start();
}

} // namespace cadrelle
