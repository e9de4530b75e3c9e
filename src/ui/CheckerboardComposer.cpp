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

QImage CheckerboardComposer::compose(const QImage& picture, double scale) {
    if (board_.size() != picture.size() || boardScale_ != scale) {
        board_ = drawBoard(picture.size(), kSquare * scale);
        boardScale_ = scale;
    }
    QImage composed = board_;
    QPainter painter(&composed);
    painter.drawImage(0, 0, picture);
    return composed;
}

} // namespace cadrelle
