#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace cadrelle {

class AppModel;
class FittedImage;

// The model's selected capture: the framed screenshot scaled to fit, the
// frame it was put in, and buttons that copy it and show it in the file
// manager. Nothing while there is no capture. A recording shows its file name
// instead of a picture, "Copy Video", and "Play" where `offersPlay`.
class CapturePreview final : public QWidget {
    Q_OBJECT

public:
    explicit CapturePreview(AppModel& model, bool offersPlay = false, QWidget* parent = nullptr);

private:
    void refresh();

    AppModel& model_;
    const bool offersPlay_;
    FittedImage* image_;
    QLabel* name_;
    QLabel* caption_;
    QPushButton* play_;
    QPushButton* copy_;
    QPushButton* reveal_;
};

} // namespace cadrelle
