#pragma once

#include <QWidget>

namespace cadrelle {

class AppModel;

// "General": starting with the session, the tray icon, the export folder and
// what happens after a capture.
class GeneralPage final : public QWidget {
    Q_OBJECT

public:
    explicit GeneralPage(AppModel& model, QWidget* parent = nullptr);
};

} // namespace cadrelle
