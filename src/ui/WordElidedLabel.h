#pragma once

#include <QLabel>

class QFont;

namespace cadrelle {

// `text` as it fits in `lines` lines of `width` pixels in `font`, wrapped at
// spaces: the whole text, or its first whole words followed by "…". A
// first word that does not fit on its own is shortened to what fits, with
// "…", as nothing better is left.
QString wordElidedText(const QString& text, const QFont& font, int width, int lines);

// A label that wraps its text over as many lines as its height holds and,
// when even those are too few, ends it with "…" after the last whole word
// that fits, rather than clipping a word. The whole text stays its
// accessible name, and its tooltip while it is shortened.
class WordElidedLabel final : public QLabel {
    Q_OBJECT

public:
    explicit WordElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return fullText_; }

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fit();

    QString fullText_;
};

} // namespace cadrelle
