#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace cadrelle {

class AppModel;
class FolderCard;

// The first-run setup shown in the settings window until setup is complete:
// the capture folder and the export folder, each on its own card, and
// "Finish Setup". It shows the model's state and calls the model; it keeps
// no state of its own.
class OnboardingView final : public QWidget {
    Q_OBJECT

public:
    explicit OnboardingView(AppModel& model, QWidget* parent = nullptr);

signals:
    // "Quit" was pressed.
    void quitRequested();

private:
    void refresh();

    AppModel& model_;
    FolderCard* captureCard_;
    FolderCard* exportCard_;
    QWidget* errorLine_;
    QLabel* errorText_;
    QLabel* hint_;
    QPushButton* finish_;
};

} // namespace cadrelle
