#include "LabelStyle.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPalette>

namespace cadrelle {

void setSecondary(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    palette.setColor(QPalette::Text, palette.color(QPalette::PlaceholderText));
    widget.setPalette(palette);
}

void setFontPoints(QWidget& widget, qreal points, QFont::Weight weight) {
    constexpr qreal kBodyPoints = 13.0;
    QFont font = widget.font();
    font.setPointSizeF(QApplication::font().pointSizeF() * points / kBodyPoints);
    font.setWeight(weight);
    widget.setFont(font);
}

QLabel* wrappedLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* iconLabel(const QIcon& icon, int size) {
    auto* label = new QLabel;
    label->setPixmap(icon.pixmap(size, size));
    label->setFixedSize(size, size);
    return label;
}

void makeCopyable(QLabel& label) {
    label.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A label's own context menu only serves links.
    label.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&label, &QWidget::customContextMenuRequested, &label, [&label](QPoint at) {
        auto* menu = new QMenu(&label);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addAction(QStringLiteral("Copy"), &label, [&label] {
            QApplication::clipboard()->setText(label.hasSelectedText() ? label.selectedText()
                                                                       : label.text());
        });
        menu->addAction(QStringLiteral("Select All"), &label,
                        [&label] { label.setSelection(0, static_cast<int>(label.text().size())); });
        menu->popup(label.mapToGlobal(at));
    });
}

} // namespace cadrelle
