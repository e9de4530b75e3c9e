#pragma once

#include "SwipeTracker.h"

#include <QPixmap>
#include <QPointF>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

namespace cadrelle {

class DragStarter;

// The framed screenshot on a card, fitted in proportion. Dragging it out
// shares the file; a rightward two-finger swipe over it saves.
class CardImageView final : public QWidget {
    Q_OBJECT

public:
    CardImageView(std::shared_ptr<DragStarter> drags, QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }
    void setFile(const QString& file) { file_ = file; }
    // Off while the bezel changes: no drags, no swipes.
    void setInteractive(bool interactive);
    bool isInteractive() const { return interactive_; }
    // The picture's rectangle inside the view: as large as fits, centred.
    QRect pictureRect() const;

signals:
    // How far the card should follow the fingers.
    void swiped(double offset);
    void saveRequested();
    void dragEnded(bool accepted);
    // The view is being drawn: the card loads its picture on demand.
    void drawn();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;

private:
    void apply(const SwipeOutput& output);

    std::shared_ptr<DragStarter> drags_;
    QPixmap picture_;
    QString file_;
    bool interactive_ = true;
    // Where the press that may become a drag began; cleared once it did.
    std::optional<QPointF> pressedAt_;
    SwipeTracker swipe_;
    // Ends a swipe whose events carry no phases (X11): it is over once no
    // event came for a while.
    QTimer swipeEnd_;
};

} // namespace cadrelle
