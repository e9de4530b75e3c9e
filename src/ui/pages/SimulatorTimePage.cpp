#include "SimulatorTimePage.h"

#include "PageGroup.h"
#include "PreferenceEditing.h"
#include "ToggleRow.h"
#include "model/AppModel.h"
#include "ui/LabelStyle.h"
#include "ui/UiIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

constexpr int kStatusIconSize = 16;
constexpr std::int64_t kNineFortyOne = 9 * 60 + 41;

} // namespace

QTime timeOfDay(std::int64_t minutes) {
    return QTime(static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
}

std::int64_t minutesOfDay(QTime time) {
    return time.hour() * 60 + time.minute();
}

SimulatorTimePage::SimulatorTimePage(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), time_(new QTimeEdit), statusIcon_(new QLabel),
      statusText_(wrappedLabel({})) {
    auto* statusBar = new PageGroup(QStringLiteral("Status Bar"));
    statusBar->addRow(preferenceToggle(model, QStringLiteral("Override simulator time"),
                                       &Preferences::simulatorTimeEnabled, false,
                                       [this] { model_.updateSimulatorTime(); }));

    time_->setDisplayFormat(QStringLiteral("HH:mm"));
    auto* timeLabel = new QLabel(QStringLiteral("Time"));
    timeLabel->setBuddy(time_);
    auto* useDefault = plainButton(QStringLiteral("Use 9:41"));
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(timeLabel);
    timeRow->addWidget(time_);
    timeRow->addWidget(useDefault);
    timeRow->addStretch(1);
    statusBar->addRow(timeRow);
    connect(time_, &QTimeEdit::timeChanged, this,
            [this](QTime time) { storeMinutes(minutesOfDay(time)); });
    connect(useDefault, &QPushButton::clicked, this, [this] { storeMinutes(kNineFortyOne); });

    makeCopyable(*statusText_);
    statusIcon_->setFixedSize(kStatusIconSize, kStatusIconSize);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(statusIcon_, 0, Qt::AlignTop);
    statusRow->addWidget(statusText_, 1);
    statusBar->addRow(statusRow);

    auto* layout = pageLayout(*this);
    layout->addWidget(statusBar);
    layout->addWidget(
        footnote(QStringLiteral("Applies to running iOS simulators, including simulators opened "
                                "later. Requires Xcode. Turning this off or quitting restores "
                                "default status bars, including time, battery, and signal. Your "
                                "chosen time stays saved.")));

    connect(&model_, &AppModel::preferencesChanged, this, &SimulatorTimePage::refreshTime);
    connect(&model_, &AppModel::simulatorTimeStatusChanged, this,
            &SimulatorTimePage::refreshStatus);
    refreshTime();
    refreshStatus();
}

void SimulatorTimePage::storeMinutes(std::int64_t minutes) {
    editPreferences(
        model_, [minutes](Preferences& preferences) { preferences.simulatorTimeMinutes = minutes; },
        false);
    model_.updateSimulatorTime();
}

void SimulatorTimePage::refreshTime() {
    const QSignalBlocker quiet(time_);
    time_->setTime(timeOfDay(model_.preferences().simulatorTimeMinutes));
}

void SimulatorTimePage::refreshStatus() {
    const auto& status = model_.simulatorTimeStatus();
    statusText_->setText(QString::fromStdString(status.message));
    // Failures get the orange warning sign; other news the quiet info sign.
    statusIcon_->setPixmap(
        (status.isError ? warningIcon() : infoIcon()).pixmap(kStatusIconSize, kStatusIconSize));
}

} // namespace cadrelle
