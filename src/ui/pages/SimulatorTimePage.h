#pragma once

#include <QTime>
#include <QWidget>

#include <cstdint>

class QLabel;
class QTimeEdit;

namespace cadrelle {

class AppModel;

// The clock time of `minutes` after midnight (581 → 09:41), and back.
QTime timeOfDay(std::int64_t minutes);
std::int64_t minutesOfDay(QTime time);

// "Simulator Time": overriding the time the simulators' status bars show,
// and how that is going.
class SimulatorTimePage final : public QWidget {
    Q_OBJECT

public:
    explicit SimulatorTimePage(AppModel& model, QWidget* parent = nullptr);

private:
    void storeMinutes(std::int64_t minutes);
    void refreshTime();
    void refreshStatus();

    AppModel& model_;
    QTimeEdit* time_;
    QLabel* statusIcon_;
    QLabel* statusText_;
};

} // namespace cadrelle
