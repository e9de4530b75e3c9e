#pragma once

#include <QWidget>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

class QFileSystemWatcher;
class QLabel;
class QTimer;

namespace cadrelle {

class AppModel;

// "Store Images": the composition file the cards' "Save Store Image" uses,
// and a preview of the latest screenshot composed with it, drawn again when
// the file changes on disk or a new screenshot arrives.
class StoreImagesGroup final : public QWidget {
    Q_OBJECT

public:
    explicit StoreImagesGroup(AppModel& model, QWidget* parent = nullptr);

private:
    void chooseComposition();
    void watchComposition();
    void refreshPreview();
    // The newest framed screenshot: a pending one, else the newest in the history.
    std::optional<std::pair<std::filesystem::path, std::string>> latestScreenshot() const;

    AppModel& model_;
    QLabel* file_;
    QLabel* preview_;
    QLabel* status_;
    QFileSystemWatcher* watcher_;
    QTimer* settle_;
    std::optional<std::string> shownComposition_;
};

} // namespace cadrelle
