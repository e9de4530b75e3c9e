#pragma once

#include <QWidget>

namespace cadrelle {

class ScreenshotCardColumn;

// The floating window of the Quick Access panel: frameless, above other
// windows, on every workspace, out of the taskbar, and never taking the
// keyboard focus from the application the user works in.
class ScreenshotTrayPanel final : public QWidget {
    Q_OBJECT

public:
    explicit ScreenshotTrayPanel(ScreenshotCardColumn* column);

    // Shows the panel without activating it.
    void present();
};

} // namespace cadrelle
