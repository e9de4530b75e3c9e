#include "WidgetQueries.h"

#include <QLabel>

namespace cadrelle::test {

QStringList visibleTexts(const QWidget& root) {
    QStringList texts;
    for (const QWidget* widget : root.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&root)) {
            continue;
        }
        if (const auto* label = qobject_cast<const QLabel*>(widget);
            label && !label->text().isEmpty()) {
            texts << label->text();
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget);
                   button && !button->text().isEmpty()) {
            texts << button->text();
        }
    }
    return texts;
}

QAbstractButton* findButton(const QWidget& root, const QString& text) {
    for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

} // namespace cadrelle::test
