#pragma once

#include <QWidget>

class QCheckBox;

namespace cadrelle {

// A switch with its title and, when given, a note under it. `changed` is
// sent only when the user flips it, never when setOn() shows a value.
class ToggleRow final : public QWidget {
    Q_OBJECT

public:
    explicit ToggleRow(const QString& title, const QString& note = {}, QWidget* parent = nullptr);

    void setOn(bool on);
    bool isOn() const;

signals:
    void changed(bool on);

private:
    QCheckBox* box_;
};

} // namespace cadrelle
