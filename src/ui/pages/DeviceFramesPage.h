#pragma once

#include <QWidget>

class QComboBox;

namespace cadrelle {

class AppModel;

// "Device Frames": automatic matching, the preferred frame, and importing
// frames of one's own.
class DeviceFramesPage final : public QWidget {
    Q_OBJECT

public:
    explicit DeviceFramesPage(AppModel& model, QWidget* parent = nullptr);

private:
    void refreshPicker();

    AppModel& model_;
    QComboBox* picker_;
};

} // namespace cadrelle
