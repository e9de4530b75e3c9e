#include "RecordingsPage.h"

#include "FolderRow.h"
#include "PageGroup.h"
#include "PreferenceEditing.h"
#include "ToggleRow.h"
#include "ui/UiIcons.h"

#include <QVBoxLayout>

namespace cadrelle {

RecordingsPage::RecordingsPage(AppModel& model, QWidget* parent) : QWidget(parent) {
    auto* afterExport = new PageGroup(QStringLiteral("After Export"));
    afterExport->addRow(preferenceToggle(model, QStringLiteral("Show recording preview"),
                                         &Preferences::previewAfterCapture, false));

    // The choice itself is made in the format prompt each time; these rows
    // only describe what each format gives.
    auto* format = new PageGroup(
        QStringLiteral("Video Format"),
        QStringLiteral("Choose a format in the Video Export popup each time a recording arrives. "
                       "Transparent HEVC is selected initially."));
    format->addRow(
        descriptionRow(themedIcon(QStringLiteral("video-x-generic"), QStringLiteral("film.svg")),
                       QStringLiteral("MP4 \u00B7 H.264"),
                       QStringLiteral("Black background, with broad playback compatibility.")));
    format->addRow(descriptionRow(
        themedIcon(QStringLiteral("image-x-generic"), QStringLiteral("dashed-square.svg")),
        QStringLiteral("MOV \u00B7 HEVC with alpha"),
        QStringLiteral("Transparent background with a smaller file size.")));
    format->addRow(descriptionRow(
        themedIcon(QStringLiteral("folder-videos"), QStringLiteral("film-stack.svg")),
        QStringLiteral("MOV \u00B7 ProRes 4444"),
        QStringLiteral("Transparent background for video editing, with larger files.")));

    auto* exportGroup = new PageGroup(QStringLiteral("Export"));
    exportGroup->addRow(new FolderRow(model, QStringLiteral("Export location"), false));

    auto* layout = pageLayout(*this);
    layout->addWidget(afterExport);
    layout->addWidget(format);
    layout->addWidget(exportGroup);
}

} // namespace cadrelle
