#include "CheckerboardComposer.h"

#include <QPainter>

namespace cadrelle {
namespace {

QImage drawBoard(QSize size, double square) {
    QImage board(size, QImage::Format_RGB32);
    board.fill(QColor(CheckerboardComposer::kGrey, CheckerboardComposer::kGrey,
                      CheckerboardComposer::kGrey));
    const QColor light(CheckerboardComposer::kLightGrey, CheckerboardComposer::kLightGrey,
                       CheckerboardComposer::kLightGrey);
    QPainter painter(&board);
    for (int row = 0; row * square < size.height(); ++row) {
        for (int column = (row + 1) % 2; column * square < size.width(); column += 2) {
            painter.fillRect(QRectF(column * square, row * square, square, square), light);
        }
    }
    return board;
}

} // namespace

QImage CheckerboardComposer::compose(const QImage& frame, QSize size) {
    if (board_.size() != size || boardFrameSize_ != frame.size()) {
        const double scale = frame.width() > 0 ? double(size.width()) / frame.width() : 1.0;
        board_ = drawBoard(size, kSquare * scale);
        boardFrameSize_ = frame.size();
    }
    QImage composed = board_;
    QPainter painter(&composed);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), size), frame);
    return composed;
}

} // namespace cadrelle
