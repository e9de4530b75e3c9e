#pragma once

#include <QLabel>
#include <QPixmap>

namespace cadrelle {

// Shows a picture as large as fits in the label, keeping its proportions.
class FittedImage final : public QLabel {
    Q_OBJECT

public:
    explicit FittedImage(QWidget* parent = nullptr);

    // A null pixmap shows nothing.
    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fit();

    QPixmap picture_;
};

} // namespace cadrelle
