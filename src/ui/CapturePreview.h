#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace cadrelle {

class AppModel;
class FittedImage;

// The model's selected capture: the framed screenshot scaled to fit, the
// frame it was put in, and a button that copies it. Nothing while there is
// no capture. A recording shows its frame and "Copy Video" but no picture.
class CapturePreview final : public QWidget {
    Q_OBJECT

public:
    explicit CapturePreview(AppModel& model, QWidget* parent = nullptr);

private:
    void refresh();

    AppModel& model_;
    FittedImage* image_;
    QLabel* caption_;
    QPushButton* copy_;
};

} // namespace cadrelle
