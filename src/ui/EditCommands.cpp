#include "EditCommands.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace cadrelle {
namespace {

// The menus themselves take the focus while they are used from the keyboard.
bool isMenu(const QWidget* widget) {
    return qobject_cast<const QMenuBar*>(widget) != nullptr ||
           qobject_cast<const QMenu*>(widget) != nullptr;
}

const char* slotName(EditCommands::Command command) {
    switch (command) {
    case EditCommands::Command::cut:
        return "cut";
    case EditCommands::Command::copy:
        return "copy";
    case EditCommands::Command::paste:
        return "paste";
    case EditCommands::Command::selectAll:
        break;
    }
    return "selectAll";
}

// A label's text can be selected and its selection copied, but it is never
// changed: cut and paste do nothing.
void performOnLabel(QLabel& label, EditCommands::Command command) {
    if (command == EditCommands::Command::selectAll) {
        label.setSelection(0, static_cast<int>(label.text().size()));
    } else if (command == EditCommands::Command::copy && label.hasSelectedText()) {
        QApplication::clipboard()->setText(label.selectedText());
    }
}

} // namespace

EditCommands::EditCommands(QObject* parent)
    : QObject(parent), lastFocus_(QApplication::focusWidget()) {
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && !isMenu(now)) {
            lastFocus_ = now;
        }
    });
}

QWidget* EditCommands::target() const {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && !isMenu(focus) ? focus : lastFocus_.data();
}

void EditCommands::perform(Command command) {
    QWidget* widget = target();
    if (widget == nullptr) {
        return;
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (label->textInteractionFlags() & Qt::TextSelectableByMouse) {
            performOnLabel(*label, command);
        }
        return;
    }
    // A spin box (the time field) edits its text in a line edit of its own,
    // which has the clipboard commands the spin box lacks.
    if (auto* spinBox = qobject_cast<QAbstractSpinBox*>(widget);
        spinBox != nullptr && command != Command::selectAll) {
        widget = spinBox->findChild<QLineEdit*>();
        if (widget == nullptr) {
            return;
        }
    }
    const char* name = slotName(command);
    const QByteArray signature = QByteArray(name) + "()";
    if (widget->metaObject()->indexOfMethod(signature.constData()) >= 0) {
        QMetaObject::invokeMethod(widget, name);
    }
}

} // namespace cadrelle
