#pragma once

#include <QWidget>

namespace cadrelle {

class AppModel;
class ElidedLabel;

// A folder of the preferences: the folder symbol, the row's label, the
// folder's path, and "Choose…", which lets the user pick another one (the
// capture folder when `input`, else the export folder).
class FolderRow final : public QWidget {
    Q_OBJECT

public:
    FolderRow(AppModel& model, const QString& label, bool input, QWidget* parent = nullptr);

private:
    void refresh();

    AppModel& model_;
    const bool input_;
    ElidedLabel* path_;
};

} // namespace cadrelle
