#include "StatusRows.h"

#include "LabelStyle.h"
#include "UiIcons.h"
#include "model/AppModel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

constexpr int kIconSize = 16;

QHBoxLayout* rowLayout(QWidget* row) {
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 6, 12, 6);
    return layout;
}

} // namespace

StatusRows::StatusRows(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), errorBanner_(new QWidget), errorText_(wrappedLabel({})),
      progressRow_(new QWidget), progressText_(new QLabel), cancel_(new QPushButton) {
    errorText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* dismiss = new QToolButton;
    dismiss->setText(QStringLiteral("\u00D7"));
    dismiss->setAutoRaise(true);
    dismiss->setToolTip(QStringLiteral("Dismiss"));
    auto* banner = rowLayout(errorBanner_);
    banner->addWidget(iconLabel(warningIcon(), kIconSize), 0, Qt::AlignTop);
    banner->addWidget(errorText_, 1);
    banner->addWidget(dismiss, 0, Qt::AlignTop);

    // A small busy indicator: the export reports no fraction the bar could show.
    auto* busy = new QProgressBar;
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    busy->setFixedSize(48, 8);
    cancel_->setText(QStringLiteral("Cancel"));
    cancel_->setAutoDefault(false);
    auto* progress = rowLayout(progressRow_);
    progress->addWidget(busy);
    progress->addWidget(progressText_, 1);
    progress->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(errorBanner_);
    layout->addWidget(progressRow_);

    connect(dismiss, &QToolButton::clicked, this, [this] { model_.setErrorMessage(std::nullopt); });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (auto control = model_.framing().manualExportControl()) {
            control->cancel();
        }
    });
    connect(&model_, &AppModel::errorMessageChanged, this, &StatusRows::refresh);
    connect(&model_.framing(), &ManualFraming::exportStatusChanged, this, &StatusRows::refresh);
    connect(&model_, &AppModel::watchExportStatusChanged, this, &StatusRows::refresh);
    refresh();
}

void StatusRows::refresh() {
    const auto& error = model_.errorMessage();
    errorText_->setText(error ? QString::fromStdString(*error) : QString());
    errorBanner_->setVisible(error.has_value());

    const auto& manual = model_.framing().exportStatus();
    const auto& progress = manual ? manual : model_.watchExportStatus();
    progressText_->setText(progress ? QString::fromStdString(*progress) : QString());
    progressRow_->setVisible(progress.has_value());
    cancel_->setVisible(manual.has_value());
}

} // namespace cadrelle
