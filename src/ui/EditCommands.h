#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace cadrelle {

// Carries out the Edit menu's commands on the widget the user was working
// in: the one with the keyboard focus, or, while the menu bar or a menu
// holds the focus, the one that had it before. Line edits, text edits and
// spin boxes cut, copy, paste and select; labels with selectable text copy
// and select.
class EditCommands final : public QObject {
    Q_OBJECT

public:
    enum class Command { cut, copy, paste, selectAll };

    explicit EditCommands(QObject* parent = nullptr);

    void perform(Command command);

private:
    QWidget* target() const;

    QPointer<QWidget> lastFocus_;
};

} // namespace cadrelle
