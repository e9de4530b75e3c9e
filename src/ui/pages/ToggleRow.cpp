#include "ToggleRow.h"

#include "ui/LabelStyle.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace cadrelle {

ToggleRow::ToggleRow(const QString& title, const QString& note, QWidget* parent)
    : QWidget(parent), box_(new QCheckBox(title)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(box_);
    if (!note.isEmpty()) {
        auto* explanation = wrappedLabel(note);
        setFontPoints(*explanation, 11);
        setSecondary(*explanation);
        layout->addWidget(explanation);
    }
    // Every flip is the user's but those of setOn(), which are kept quiet:
    // assistive tools flip the box with toggle(), which sends no clicked().
    connect(box_, &QCheckBox::toggled, this, &ToggleRow::changed);
}

void ToggleRow::setOn(bool on) {
    const QSignalBlocker quiet(box_);
    box_->setChecked(on);
}

bool ToggleRow::isOn() const {
    return box_->isChecked();
}

} // namespace cadrelle
