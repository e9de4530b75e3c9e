#include "StoreImagesGroup.h"

#include "PageGroup.h"
#include "PreferenceEditing.h"
#include "compose/CaptureStoreImages.h"
#include "core/AppError.h"
#include "core/FileIO.h"
#include "model/AppModel.h"

#include <QFileDialog>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace cadrelle {

namespace {

namespace fs = std::filesystem;

// The preview's height on screen; the image is composed at this size.
constexpr int kPreviewHeight = 360;
// Editors write a file in several steps: the preview waits for them to finish.
constexpr int kSettleMilliseconds = 250;

} // namespace

StoreImagesGroup::StoreImagesGroup(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), file_(new QLabel), preview_(new QLabel), status_(new QLabel),
      watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this)) {
    auto* group = new PageGroup(
        QStringLiteral("Store Images"),
        QStringLiteral("\u201CSave Store Image\u201D on a screenshot composes it onto a "
                       "background with captions in every size of this composition."));
    auto* choose = plainButton(QStringLiteral("Choose Composition\u2026"));
    connect(choose, &QPushButton::clicked, this, &StoreImagesGroup::chooseComposition);
    file_->setWordWrap(true);
    auto* row = new QHBoxLayout;
    row->addWidget(file_, 1);
    row->addWidget(choose);
    group->addRow(row);

    preview_->setAccessibleName(QStringLiteral("Store image preview"));
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setMinimumHeight(kPreviewHeight);
    status_->setWordWrap(true);
    status_->setAlignment(Qt::AlignCenter);
    group->addRow(preview_);
    group->addRow(status_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);

    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMilliseconds);
    connect(settle_, &QTimer::timeout, this, [this] {
        watchComposition();
        refreshPreview();
    });
    connect(watcher_, &QFileSystemWatcher::fileChanged, settle_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
    connect(&model_, &AppModel::preferencesChanged, this, [this] {
        if (model_.preferences().storeCompositionPath != shownComposition_) {
            watchComposition();
            refreshPreview();
        }
    });
    for (const auto signal : {&QuickAccessItems::itemAdded, &QuickAccessItems::itemChanged,
                              &QuickAccessItems::itemRemoved}) {
        connect(&model_.quickAccess(), signal, this, &StoreImagesGroup::refreshPreview);
    }
    connect(&model_, &AppModel::capturesChanged, this, &StoreImagesGroup::refreshPreview);
    watchComposition();
    refreshPreview();
}

void StoreImagesGroup::chooseComposition() {
    const QString chosen =
        QFileDialog::getOpenFileName(this, QStringLiteral("Choose a store image composition"),
                                     QString(), QStringLiteral("Compositions (*.json)"));
    if (chosen.isEmpty()) {
        return;
    }
    editPreferences(
        model_,
        [&chosen](Preferences& preferences) {
            preferences.storeCompositionPath = chosen.toStdString();
        },
        false);
}

// Watches the composition file and its folder: an editor that saves by
// replacing the file takes the watch on the old file with it.
void StoreImagesGroup::watchComposition() {
    if (!watcher_->files().isEmpty()) {
        watcher_->removePaths(watcher_->files());
    }
    if (!watcher_->directories().isEmpty()) {
        watcher_->removePaths(watcher_->directories());
    }
    const auto& path = model_.preferences().storeCompositionPath;
    if (!path) {
        return;
    }
    const QString file = QString::fromStdString(*path);
    watcher_->addPath(QString::fromStdString(fs::path(*path).parent_path().string()));
    if (itemExists(*path)) {
        watcher_->addPath(file);
    }
}

std::optional<std::pair<fs::path, std::string>> StoreImagesGroup::latestScreenshot() const {
    const auto& pending = model_.quickAccess().pendingScreenshots();
    if (!pending.empty()) {
        const CaptureRecord& record = pending.back().record;
        return std::pair{fs::path(record.output), fs::path(record.original).filename().string()};
    }
    for (const CaptureRecord& record : model_.captures()) {
        if (lowercaseExtension(record.output) == "png") {
            return std::pair{fs::path(record.output),
                             fs::path(record.original).filename().string()};
        }
    }
    return std::nullopt;
}

void StoreImagesGroup::refreshPreview() {
    const auto& path = model_.preferences().storeCompositionPath;
    shownComposition_ = path;
    file_->setText(path ? QString::fromStdString(*path) : QStringLiteral("No composition chosen"));
    preview_->clear();
    const auto latest = latestScreenshot();
    if (!path) {
        status_->setText(QStringLiteral("Choose a composition to see the latest screenshot "
                                        "as a store image."));
        return;
    }
    if (!latest) {
        status_->setText(QStringLiteral("Take a screenshot to see it as a store image."));
        return;
    }
    try {
        const QImage image =
            CaptureStoreImages(*path).preview(latest->first, latest->second, kPreviewHeight);
        preview_->setPixmap(QPixmap::fromImage(image));
        status_->setText(QString::fromStdString(latest->second));
    } catch (const std::exception& error) {
        status_->setText(QString::fromStdString(userDescription(error)));
    }
}

} // namespace cadrelle
