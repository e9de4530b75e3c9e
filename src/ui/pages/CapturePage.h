#pragma once

#include <QWidget>

namespace cadrelle {

class AppModel;

// "Capture": the watched folder, which files count as captures, framing
// files by hand, and the latest framed capture.
class CapturePage final : public QWidget {
    Q_OBJECT

public:
    explicit CapturePage(AppModel& model, QWidget* parent = nullptr);
};

} // namespace cadrelle
