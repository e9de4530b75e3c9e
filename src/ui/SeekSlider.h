#pragma once

#include <QSlider>

namespace cadrelle {

// A horizontal position bar that moves its knob straight to the place the
// user clicks (instead of a page step towards it) and lets the same press
// go on dragging it. Each move is reported through `actionTriggered` with
// `SliderMove`, as a drag is.
class SeekSlider final : public QSlider {
    Q_OBJECT

public:
    explicit SeekSlider(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace cadrelle
