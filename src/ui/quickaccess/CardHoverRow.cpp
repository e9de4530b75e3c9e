#include "CardHoverRow.h"

#include "CardIcons.h"
#include "CardRules.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>
#include <QVariantAnimation>

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
    : QFrame(parent), fade_(new QVariantAnimation(this)) {
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

    fade_->setDuration(150);
    fade_->setEasingCurve(QEasingCurve::OutCubic);
    connect(fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect())) {
            effect->setOpacity(value.toDouble());
        }
    });
    connect(fade_, &QVariantAnimation::finished, this, &CardHoverRow::finishFade);
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
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect());
    const double current = effect != nullptr ? effect->opacity() : isVisible() ? 1.0 : 0.0;
    const double target = shown ? 1.0 : 0.0;
    fade_->stop();
    if (!animate || current == target) {
        settle(shown);
        return;
    }
    if (effect == nullptr) {
        effect = new QGraphicsOpacityEffect;
        effect->setOpacity(current);
        setGraphicsEffect(effect);
    }
    show();
    raise();
    fade_->setStartValue(current);
    fade_->setEndValue(target);
    fade_->start();
}

void CardHoverRow::finishFade() {
    if (graphicsEffect() != nullptr) {
        settle(fade_->endValue().toDouble() > 0);
    }
}

void CardHoverRow::settle(bool shown) {
    fade_->stop();
    setGraphicsEffect(nullptr);
    setVisible(shown);
    if (shown) {
        raise();
    }
}

} // namespace cadrelle
