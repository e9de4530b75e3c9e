#include "DeviceFramesPage.h"

#include "PageGroup.h"
#include "PreferenceEditing.h"
#include "StoreImagesGroup.h"
#include "ToggleRow.h"
#include "model/AppModel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace cadrelle {

DeviceFramesPage::DeviceFramesPage(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), picker_(new QComboBox) {
    auto* frame = new PageGroup(
        QStringLiteral("Device Frame"),
        QStringLiteral("Apple device frames are included in their original finishes. Captures "
                       "keep their native resolution and orientation."));
    frame->addRow(preferenceToggle(model, QStringLiteral("Match device and orientation"),
                                   &Preferences::automaticallyMatch, true));
    // The picker shows no label of its own; assistive tools still name it.
    // On Linux Qt gives a combo box's current entry as its accessible name,
    // so the name is also its description there.
    picker_->setAccessibleName(QStringLiteral("Preferred frame"));
    picker_->setAccessibleDescription(picker_->accessibleName());
    picker_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    frame->addRow(picker_);
    connect(picker_, &QComboBox::activated, this, [this](int index) {
        const std::string id = picker_->itemData(index).toString().toStdString();
        editPreferences(
            model_, [&](Preferences& preferences) { preferences.selectedFrameID = id; }, true);
    });

    auto* custom = new PageGroup(QStringLiteral("Custom Frames"));
    auto* import = plainButton(QStringLiteral("Import Frames\u2026"));
    connect(import, &QPushButton::clicked, &model_, &AppModel::importFrames);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Add your own PNG device artwork")), 1);
    row->addWidget(import);
    custom->addRow(row);

    auto* layout = pageLayout(*this);
    layout->addWidget(frame);
    layout->addWidget(custom);
    layout->addWidget(new StoreImagesGroup(model));
    layout->addWidget(
        footnote(QStringLiteral("Change a single screenshot\u2019s bezel in Quick Access. Your "
                                "preferred frame for future captures stays the same.")));

    connect(&model_, &AppModel::framesChanged, this, &DeviceFramesPage::refreshPicker);
    connect(&model_, &AppModel::preferencesChanged, this, &DeviceFramesPage::refreshPicker);
    refreshPicker();
}

void DeviceFramesPage::refreshPicker() {
    const QSignalBlocker quiet(picker_);
    picker_->clear();
    for (const FrameAsset& asset : model_.frames()) {
        picker_->addItem(QString::fromStdString(frameKey(asset)), QString::fromStdString(asset.id));
    }
    const auto& selected = model_.preferences().selectedFrameID;
    picker_->setCurrentIndex(selected ? picker_->findData(QString::fromStdString(*selected)) : -1);
}

} // namespace cadrelle
