#include "VideoFormatRow.h"

#include "LabelStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

constexpr int kPadding = 12;
constexpr int kRadioSize = 16;
constexpr qreal kCornerRadius = 8;

QColor withAlpha(QColor colour, qreal alpha) {
    colour.setAlphaF(alpha);
    return colour;
}

} // namespace

VideoFormatRow::VideoFormatRow(VideoExportFormat format, const QString& description,
                               QWidget* parent)
    : QAbstractButton(parent), format_(format) {
    const QString name = QString::fromStdString(title(format));
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(name);

    auto* titleLabel = new QLabel(name);
    setFontPoints(*titleLabel, 13, QFont::DemiBold);
    auto* detail = wrappedLabel(description);
    setFontPoints(*detail, 11);
    setSecondary(*detail);
    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(titleLabel);
    text->addWidget(detail);
    for (QLabel* label : {titleLabel, detail}) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    auto* layout = new QHBoxLayout(this);
    // Room on the left for the radio mark drawn by paintEvent.
    layout->setContentsMargins(kPadding * 2 + kRadioSize, kPadding - 2, kPadding, kPadding - 2);
    layout->addLayout(text);

    connect(this, &QAbstractButton::toggled, this, &VideoFormatRow::describeState);
    describeState();
}

void VideoFormatRow::describeState() {
    setAccessibleDescription(isChecked() ? QStringLiteral("Selected")
                                         : QStringLiteral("Not selected"));
    update();
}

void VideoFormatRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = palette().color(QPalette::Highlight);
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    const bool selected = isChecked();

    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(QPen(selected ? accent : withAlpha(secondary, 0.3), hasFocus() ? 2.0 : 1.0));
    painter.setBrush(selected ? withAlpha(accent, 0.08) : QColor(Qt::transparent));
    painter.drawRoundedRect(box, kCornerRadius, kCornerRadius);

    // The radio mark: a ring, filled in the middle when selected.
    const QRectF ring(kPadding, (height() - kRadioSize) / 2.0, kRadioSize, kRadioSize);
    painter.setPen(QPen(selected ? accent : secondary, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(ring.adjusted(0.75, 0.75, -0.75, -0.75));
    if (selected) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(accent);
        painter.drawEllipse(ring.adjusted(4, 4, -4, -4));
    }
}

} // namespace cadrelle
