#include "CapturePage.h"

#include "FolderRow.h"
#include "PageGroup.h"
#include "PreferenceEditing.h"
#include "ToggleRow.h"
#include "model/AppModel.h"
#include "ui/CapturePreview.h"
#include "ui/LabelStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

// Tall enough for a framed capture to be recognisable inside the page.
constexpr int kPreviewHeight = 360;

} // namespace

CapturePage::CapturePage(AppModel& model, QWidget* parent) : QWidget(parent) {
    auto* source = new PageGroup(
        QStringLiteral("Source"),
        QStringLiteral("Choose the folder where Glimmerbox saves original screenshots and "
                       "recordings. The originals stay untouched."));
    source->addRow(new FolderRow(model, QStringLiteral("Watch folder"), true));

    auto* detection = new PageGroup(
        QStringLiteral("Detection"),
        QStringLiteral("By default, Cadrelle watches Glimmerbox and Simulator filenames. For other "
                       "capture apps or renamed files, use a dedicated folder and enable this "
                       "option."));
    detection->addRow(preferenceToggle(model, QStringLiteral("Watch every PNG and MP4"),
                                       &Preferences::allPNG, true));

    auto* existing = new PageGroup(QStringLiteral("Existing Captures"));
    auto* hint = new QLabel(QStringLiteral("You can also drop files onto this window."));
    setSecondary(*hint);
    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(new QLabel(QStringLiteral("Frame a screenshot or recording")));
    text->addWidget(hint);
    auto* open = plainButton(QStringLiteral("Open Captures\u2026"));
    connect(open, &QPushButton::clicked, &model, &AppModel::chooseScreenshots);
    auto* row = new QHBoxLayout;
    row->addLayout(text, 1);
    row->addWidget(open);
    existing->addRow(row);

    auto* latest = new PageGroup(QStringLiteral("Latest Capture"));
    auto* preview = new CapturePreview(model, true);
    latest->addRow(preview);
    preview->setMinimumHeight(kPreviewHeight);
    auto follow = [latest, &model] { latest->setVisible(model.selectedCapture().has_value()); };
    follow();
    connect(&model, &AppModel::capturesChanged, latest, follow);
    connect(&model, &AppModel::selectedCaptureIDChanged, latest, follow);

    auto* layout = pageLayout(*this);
    layout->addWidget(source);
    layout->addWidget(detection);
    layout->addWidget(existing);
    layout->addWidget(latest);
}

} // namespace cadrelle
