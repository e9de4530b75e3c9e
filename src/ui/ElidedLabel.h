#pragma once

#include <QLabel>

namespace cadrelle {

// A one-line label that shortens its text in the middle ("Very…Name") when it
// is narrower than the text, instead of widening its window. The whole text
// stays its tooltip and accessible name.
class ElidedLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return fullText_; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void elide();

    QString fullText_;
};

} // namespace cadrelle
