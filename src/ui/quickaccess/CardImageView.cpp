#include "CardImageView.h"

#include "CardRules.h"
#include "DragStarter.h"

#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QWheelEvent>
#include <QtMath>

#include <cmath>

namespace cadrelle {
namespace {

SwipeInput::Phase phaseOf(Qt::ScrollPhase phase) {
    switch (phase) {
    case Qt::ScrollBegin:
        return SwipeInput::Phase::began;
    case Qt::ScrollEnd:
        return SwipeInput::Phase::ended;
    case Qt::ScrollMomentum:
        return SwipeInput::Phase::momentum;
    case Qt::ScrollUpdate:
    case Qt::NoScrollPhase:
        break;
    }
    return SwipeInput::Phase::changed;
}

// The event's movement with x positive when the fingers move right, in
// pixels: the precise deltas of a touchpad where Qt has them, else the
// angle in degrees, about one pixel each.
SwipeInput swipeInput(const QWheelEvent& event) {
    const bool pixels = !event.pixelDelta().isNull();
    const QPointF delta = pixels ? QPointF(event.pixelDelta()) : QPointF(event.angleDelta()) / 8.0;
    SwipeInput input;
    input.dx = event.inverted() ? delta.x() : -delta.x();
    input.dy = delta.y();
    // Only touchpads report scroll phases; an event that ends a gesture
    // carries no movement, so the phase alone says where it came from.
    input.precise = pixels || event.phase() != Qt::NoScrollPhase ||
                    event.pointingDevice()->type() == QInputDevice::DeviceType::TouchPad;
    input.phase = phaseOf(event.phase());
    return input;
}

} // namespace

CardImageView::CardImageView(std::shared_ptr<DragStarter> drags, QWidget* parent)
    : QWidget(parent), drags_(std::move(drags)) {
    setCursor(Qt::OpenHandCursor);
    constexpr int kQuietMs = 150;
    swipeEnd_.setSingleShot(true);
    swipeEnd_.setInterval(kQuietMs);
    connect(&swipeEnd_, &QTimer::timeout, this, [this] {
        apply(swipe_.handle({0, 0, true, SwipeInput::Phase::ended}, interactive_));
    });
}

void CardImageView::setPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void CardImageView::setInteractive(bool interactive) {
    interactive_ = interactive;
    if (interactive) {
        setCursor(Qt::OpenHandCursor);
    } else {
        unsetCursor();
        pressedAt_.reset();
    }
}

QRect CardImageView::pictureRect() const {
    if (picture_.isNull()) {
        return {};
    }
    const QSize fitted = picture_.size().scaled(size(), Qt::KeepAspectRatio);
    return {QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted};
}

void CardImageView::paintEvent(QPaintEvent*) {
    emit drawn();
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(pictureRect(), picture_);
}

void CardImageView::mousePressEvent(QMouseEvent* event) {
    pressedAt_ = event->position();
}

void CardImageView::mouseReleaseEvent(QMouseEvent*) {
    pressedAt_.reset();
}

void CardImageView::mouseMoveEvent(QMouseEvent* event) {
    if (!interactive_ || !pressedAt_ || file_.isEmpty() || picture_.isNull() ||
        !startsFileDrag(*pressedAt_, event->position())) {
        return;
    }
    pressedAt_.reset();
    const QPixmap shown =
        picture_.scaled(pictureRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    emit dragEnded(drags_->dragFile(this, file_, shown));
}

void CardImageView::wheelEvent(QWheelEvent* event) {
    const SwipeInput input = swipeInput(*event);
    const SwipeOutput output = swipe_.handle(input, interactive_);
    if (!output.consumed) {
        event->ignore();
        return;
    }
    event->accept();
    if (output.moved && event->phase() == Qt::NoScrollPhase) {
        swipeEnd_.start();
    }
    apply(output);
}

bool CardImageView::event(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        const auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::SwipeNativeGesture) {
            // The swipe's direction comes as an angle, 0 degrees to the right.
            const bool rightward = std::cos(qDegreesToRadians(gesture->value())) > 0.5;
            if (interactive_ && rightward) {
                emit saveRequested();
            }
            return true;
        }
    }
    return QWidget::event(event);
}

void CardImageView::apply(const SwipeOutput& output) {
    if (output.moved) {
        emit swiped(output.offset);
    }
    if (output.save) {
        swipeEnd_.stop();
        emit saveRequested();
    }
}

} // namespace cadrelle
