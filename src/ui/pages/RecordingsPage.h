#pragma once

#include <QWidget>

namespace cadrelle {

class AppModel;

// "Recordings": the preview after an export, the video formats on offer and
// the export folder.
class RecordingsPage final : public QWidget {
    Q_OBJECT

public:
    explicit RecordingsPage(AppModel& model, QWidget* parent = nullptr);
};

} // namespace cadrelle
