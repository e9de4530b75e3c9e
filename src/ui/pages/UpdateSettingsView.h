#pragma once

#include <QLocale>
#include <QWidget>

#include <optional>

class QFrame;
class QLabel;
class QPushButton;

namespace cadrelle {

class AppUpdater;
class ToggleRow;

// "Last checked " and the date of `secondsSince2001` in `locale`'s short
// date and time.
QString lastCheckedText(double secondsSince2001, const QLocale& locale = QLocale());

// The "Software updates" group: when updates were last looked for, "Check
// for Updates…", the automatic check and install switches where updates
// work at all, and the updater's message.
class UpdateSettingsView final : public QWidget {
    Q_OBJECT

public:
    explicit UpdateSettingsView(AppUpdater& updater, QWidget* parent = nullptr);

private:
    void refresh();

    AppUpdater& updater_;
    QLabel* lastChecked_;
    QPushButton* check_;
    QFrame* checksDivider_;
    ToggleRow* checks_;
    QFrame* downloadsDivider_;
    ToggleRow* downloads_;
    QFrame* messageDivider_;
    QLabel* message_;
};

} // namespace cadrelle
