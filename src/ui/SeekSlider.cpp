#include "SeekSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace cadrelle {

SeekSlider::SeekSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

void SeekSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && maximum() > minimum()) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        const QPoint point = event->position().toPoint();
        if (!handle.contains(point)) {
            // The knob's centre goes under the pointer: the groove minus
            // half a knob at either end spans the whole range.
            const QRect groove =
                style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
            const int offset = point.x() - groove.x() - handle.width() / 2;
            const int span = groove.width() - handle.width();
            setSliderPosition(QStyle::sliderValueFromPosition(minimum(), maximum(), offset, span,
                                                              option.upsideDown));
            triggerAction(SliderMove);
        }
    }
    // The knob is under the pointer now, so the press also starts a drag.
    QSlider::mousePressEvent(event);
}

} // namespace cadrelle
