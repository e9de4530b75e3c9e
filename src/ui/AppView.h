#pragma once

#include <QPointer>
#include <QWidget>

namespace cadrelle {

class AppModel;

// The settings window's root: the first-run setup while setup is incomplete,
// the settings pages afterwards, switching as soon as the preferences change.
class AppView final : public QWidget {
    Q_OBJECT

public:
    explicit AppView(AppModel& model, QWidget* parent = nullptr);

    // The view shown now: an OnboardingView or a MainView.
    QWidget* currentView() const { return current_; }

signals:
    // The setup's "Quit" or the About page's "Quit App" was pressed.
    void quitRequested();

private:
    void follow();

    AppModel& model_;
    QPointer<QWidget> current_;
    bool showsPages_ = false;
};

} // namespace cadrelle
