#include "QuickAccessPage.h"

#include "PageGroup.h"
#include "PreferenceEditing.h"
#include "ToggleRow.h"
#include "model/AppModel.h"
#include "ui/UiIcons.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {

QString pendingScreenshotsText(std::size_t count) {
    return QString::number(count) + QStringLiteral(" pending screenshot") +
           (count == 1 ? QString() : QStringLiteral("s"));
}

QuickAccessPage::QuickAccessPage(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), pendingRow_(new QWidget), pendingText_(new QLabel) {
    auto* preview = new PageGroup(
        QStringLiteral("Screenshot Preview"),
        QStringLiteral("Compact cards slide into the bottom-right corner without taking focus. New "
                       "screenshots stack above earlier captures and stay until you choose what "
                       "to do. Pending captures survive an app restart."));
    preview->addRow(preferenceToggle(model, QStringLiteral("Show screenshots before saving"),
                                     &Preferences::screenshotPreviewEnabled, true));
    pendingDivider_ = preview->addDivider();
    auto* show = plainButton(QStringLiteral("Show Preview"));
    connect(show, &QPushButton::clicked, this, [this] { emit model_.screenshotPreviewChanged(); });
    auto* pending = new QHBoxLayout(pendingRow_);
    pending->setContentsMargins(0, 0, 0, 0);
    pending->addWidget(pendingText_, 1);
    pending->addWidget(show);
    preview->addRow(pendingRow_);

    auto* hover = new PageGroup(QStringLiteral("Hover Actions"));
    hover->addRow(descriptionRow(
        themedIcon(QStringLiteral("user-trash-symbolic"), QStringLiteral("trash.svg")),
        QStringLiteral("Delete"),
        QStringLiteral("Moves the framed copy to Trash. Your original stays untouched.")));
    hover->addRow(descriptionRow(
        themedIcon(QStringLiteral("document-edit-symbolic"), QStringLiteral("pencil.svg")),
        QStringLiteral("Edit"),
        QStringLiteral("Opens in your image editor for markup. Save your edits there before "
                       "exporting.")));
    hover->addRow(descriptionRow(
        themedIcon(QStringLiteral("applications-graphics"), QStringLiteral("palette.svg")),
        QStringLiteral("Bezel finish"),
        QStringLiteral("Choose another finish for the same device before editing.")));
    hover->addRow(
        descriptionRow(themedIcon(QStringLiteral("edit-copy-symbolic"), QStringLiteral("copy.svg")),
                       QStringLiteral("Copy"),
                       QStringLiteral("Copies the full-resolution image to the clipboard.")));

    auto* dragSave = new PageGroup(QStringLiteral("Drag & Save"));
    dragSave->addRow(
        descriptionRow(themedIcon(QStringLiteral("transform-move"), QStringLiteral("drag.svg")),
                       QStringLiteral("Drag to share"),
                       QStringLiteral("Drag the image to an app, a folder, or your Desktop.")));
    dragSave->addRow(descriptionRow(
        themedIcon(QStringLiteral("go-next-symbolic"), QStringLiteral("arrow-right.svg")),
        QStringLiteral("Swipe to save"),
        QStringLiteral("Swipe right with two fingers, drag the bottom strip right, or click "
                       "Save.")));

    auto* layout = pageLayout(*this);
    layout->addWidget(preview);
    layout->addWidget(hover);
    layout->addWidget(dragSave);
    layout->addWidget(
        footnote(QStringLiteral("Turning Quick Access off saves future screenshots directly to "
                                "your export folder. Pending screenshots remain in the tray.")));

    for (const auto signal : {&QuickAccessItems::itemAdded, &QuickAccessItems::itemRemoved}) {
        connect(&model_.quickAccess(), signal, this, &QuickAccessPage::refreshPending);
    }
    refreshPending();
}

void QuickAccessPage::refreshPending() {
    const std::size_t count = model_.quickAccess().pendingScreenshots().size();
    pendingText_->setText(pendingScreenshotsText(count));
    pendingDivider_->setVisible(count > 0);
    pendingRow_->setVisible(count > 0);
}

} // namespace cadrelle
