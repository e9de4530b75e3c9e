#pragma once

#include "CheckerboardComposer.h"

#include <QWidget>

namespace cadrelle {

class MediaPlayer;

// The player's current picture, as large as fits and in proportion,
// centred; over a checkerboard when the movie may be transparent.
class VideoView final : public QWidget {
    Q_OBJECT

public:
    VideoView(const MediaPlayer& player, bool checkerboard, QWidget* parent = nullptr);

    // Where the picture is drawn inside the view; empty without a picture.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const MediaPlayer& player_;
    const bool checkerboard_;
    CheckerboardComposer composer_;
};

} // namespace cadrelle
