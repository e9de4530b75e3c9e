#pragma once

#include "updates/UpdateUserDriver.h"

#include <QDialog>
#include <QPointer>
#include <QUrl>

#include <functional>

class QLabel;
class QMessageBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace cadrelle {

// The update window: the new version and its release notes with "Install
// and Relaunch" where this installation can update itself, else "Open
// Download Page"; "Later" either way. While the update downloads it shows
// the progress. A window opened by a scheduled check asks for attention.
class UpdateDialog final : public QDialog, public UpdateUserDriver {
    Q_OBJECT

public:
    // `openURL` opens the download page (the desktop's browser by default).
    explicit UpdateDialog(std::function<void(const QUrl&)> openURL = {}, QWidget* parent = nullptr);
    ~UpdateDialog() override;

    void showUpdateFound(const FoundUpdate& update, std::function<void(Choice)> choose) override;
    void showDownloadProgress(std::int64_t received, std::int64_t total) override;
    void showNoUpdate(const std::string& message) override;
    void dismiss() override;

private:
    void answer(Choice choice);

    std::function<void(const QUrl&)> openURL_;
    std::function<void(Choice)> choose_;
    QUrl downloadPage_;
    bool canInstall_ = false;
    QLabel* heading_;
    QPlainTextEdit* notes_;
    QProgressBar* progress_;
    QPushButton* later_;
    QPushButton* accept_;
    QPointer<QMessageBox> noUpdate_;
};

} // namespace cadrelle
