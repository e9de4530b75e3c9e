#include "UpdateSettingsView.h"

#include "PageGroup.h"
#include "ToggleRow.h"
#include "core/JsonSupport.h"
#include "ui/LabelStyle.h"
#include "updates/AppUpdater.h"

#include <QDateTime>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

constexpr qreal kDividerOpacity = 0.5;

} // namespace

QString lastCheckedText(double secondsSince2001, const QLocale& locale) {
    const auto date = QDateTime::fromMSecsSinceEpoch(
        static_cast<qint64>((secondsSince2001 + kReferenceDateUnixSeconds) * 1000.0));
    return QStringLiteral("Last checked ") + locale.toString(date, QLocale::ShortFormat);
}

UpdateSettingsView::UpdateSettingsView(AppUpdater& updater, QWidget* parent)
    : QWidget(parent), updater_(updater), lastChecked_(new QLabel),
      check_(plainButton(QStringLiteral("Check for Updates\u2026"))),
      checks_(new ToggleRow(QStringLiteral("Automatically check for updates"))),
      downloads_(new ToggleRow(QStringLiteral("Download and install updates on quit"))),
      message_(wrappedLabel({})) {
    auto* group = new PageGroup(QStringLiteral("Software updates"));
    setFontPoints(*lastChecked_, 11);
    setSecondary(*lastChecked_);
    setSecondary(*message_);
    auto* heading = new QHBoxLayout;
    heading->addWidget(lastChecked_, 1);
    // Kept at its own width on the right, also while no date is shown.
    heading->addWidget(check_, 0, Qt::AlignRight);
    group->addRow(heading);
    checksDivider_ = group->addDivider(kDividerOpacity);
    group->addRow(checks_);
    downloadsDivider_ = group->addDivider(kDividerOpacity);
    group->addRow(downloads_);
    messageDivider_ = group->addDivider();
    group->addRow(message_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);

    connect(check_, &QPushButton::clicked, &updater_, &AppUpdater::checkForUpdates);
    // Shown again after each change: one the updater refuses flips back.
    connect(checks_, &ToggleRow::changed, this, [this](bool on) {
        updater_.setAutomaticallyChecksForUpdates(on);
        refresh();
    });
    connect(downloads_, &ToggleRow::changed, this, [this](bool on) {
        updater_.setAutomaticallyDownloadsUpdates(on);
        refresh();
    });
    connect(&updater_, &AppUpdater::changed, this, &UpdateSettingsView::refresh);
    refresh();
}

void UpdateSettingsView::refresh() {
    const auto& lastCheck = updater_.lastUpdateCheckDate();
    lastChecked_->setText(lastCheck ? lastCheckedText(*lastCheck) : QString());
    lastChecked_->setVisible(lastCheck.has_value());
    check_->setEnabled(updater_.canCheckNow());

    const bool available = updater_.isAvailable();
    for (QWidget* row :
         {static_cast<QWidget*>(checksDivider_), static_cast<QWidget*>(checks_),
          static_cast<QWidget*>(downloadsDivider_), static_cast<QWidget*>(downloads_)}) {
        row->setVisible(available);
    }
    checks_->setOn(updater_.automaticallyChecksForUpdates());
    downloads_->setOn(updater_.automaticallyDownloadsUpdates());
    downloads_->setEnabled(updater_.automaticallyChecksForUpdates() &&
                           updater_.allowsAutomaticUpdates());

    const auto& message = updater_.statusMessage();
    message_->setText(message ? QString::fromStdString(*message) : QString());
    messageDivider_->setVisible(message.has_value());
    message_->setVisible(message.has_value());
}

} // namespace cadrelle
