#pragma once

#include <QWidget>

namespace cadrelle {

class AppModel;

// "Cadrelle Preview": the latest or selected capture in a window of its own.
// The shell makes it once and shows it again on every request; closing it
// only hides it. It has no minimise button.
class PreviewWindow final : public QWidget {
    Q_OBJECT

public:
    explicit PreviewWindow(AppModel& model, QWidget* parent = nullptr);

    // Shows the window in front, with the keyboard focus; centred on the
    // screen the first time.
    void showAndRaise();

    void setVisible(bool visible) override;

private:
    bool placed_ = false;
};

} // namespace cadrelle
