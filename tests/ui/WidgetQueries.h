#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace cadrelle::test {

// The texts of the labels and buttons under `root` that would be on screen
// with it, in the order the widgets were made.
QStringList visibleTexts(const QWidget& root);

// The button under `root` titled `text` (visible or not), or null.
QAbstractButton* findButton(const QWidget& root, const QString& text);

// The first top-level widget of type T on screen, or null.
template <class T> T* topLevel() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<T*>(widget); found && found->isVisible()) {
            return found;
        }
    }
    return nullptr;
}

} // namespace cadrelle::test
