#include "ToggleRow.h"

#include "ui/LabelStyle.h"

#include <QCheckBox>
#include <QLabel>
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
    // clicked() comes from the user (or click()), not from setChecked().
    connect(box_, &QCheckBox::clicked, this, &ToggleRow::changed);
}

void ToggleRow::setOn(bool on) {
    box_->setChecked(on);
}

bool ToggleRow::isOn() const {
    return box_->isChecked();
}

} // namespace cadrelle
