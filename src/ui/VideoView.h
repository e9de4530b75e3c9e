#pragma once

#include "CheckerboardComposer.h"

#include <QImage>
#include <QWidget>

namespace cadrelle {

// The current picture of a movie, as large as fits and in proportion,
// centred; over a checkerboard when the movie may be transparent.
class VideoView final : public QWidget {
    Q_OBJECT

public:
    explicit VideoView(bool checkerboard, QWidget* parent = nullptr);

    void setFrame(const QImage& frame);
    const QImage& frame() const { return frame_; }
    // Where the picture is drawn inside the view.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const bool checkerboard_;
    QImage frame_;
    CheckerboardComposer composer_;
};

} // namespace cadrelle
