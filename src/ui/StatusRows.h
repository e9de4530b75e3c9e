#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace cadrelle {

class AppModel;

// The rows above the settings pages that appear when the model has
// something to say: the error banner with its "×" button, and the export
// progress (manual framing, else the watcher's) with "Cancel" while a manual
// framing job runs.
class StatusRows final : public QWidget {
    Q_OBJECT

public:
    explicit StatusRows(AppModel& model, QWidget* parent = nullptr);

private:
    void refresh();

    AppModel& model_;
    QWidget* errorBanner_;
    QLabel* errorText_;
    QWidget* progressRow_;
    QLabel* progressText_;
    QPushButton* cancel_;
};

} // namespace cadrelle
