#include "UpdateDialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

const QString kTitle = QStringLiteral("Software Update");

} // namespace

UpdateDialog::UpdateDialog(std::function<void(const QUrl&)> openURL, QWidget* parent)
    : QDialog(parent), openURL_(std::move(openURL)), heading_(new QLabel(this)),
      notes_(new QPlainTextEdit(this)), progress_(new QProgressBar(this)),
      later_(new QPushButton(QStringLiteral("Later"), this)), accept_(new QPushButton(this)) {
    if (!openURL_) {
        openURL_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    }
    setWindowTitle(kTitle);
    heading_->setWordWrap(true);
    notes_->setReadOnly(true);
    progress_->setVisible(false);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(later_, QDialogButtonBox::RejectRole);
    buttons->addButton(accept_, QDialogButtonBox::AcceptRole);
    accept_->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(notes_);
    layout->addWidget(progress_);
    layout->addWidget(buttons);
    resize(520, 380);
    connect(accept_, &QPushButton::clicked, this, [this] {
        if (canInstall_) {
            answer(Choice::install);
            return;
        }
        openURL_(downloadPage_);
        answer(Choice::later);
        hide();
    });
    // "Later", Escape and closing the window all put the update off.
    connect(this, &QDialog::rejected, this, [this] { answer(Choice::later); });
}

UpdateDialog::~UpdateDialog() = default;

void UpdateDialog::showUpdateFound(const FoundUpdate& update, std::function<void(Choice)> choose) {
    choose_ = std::move(choose);
    canInstall_ = update.canInstall;
    downloadPage_ = QUrl(QString::fromStdString(update.downloadPage));
    const QString version = QString::fromStdString(update.shortVersion);
    heading_->setText(
        canInstall_
            ? QStringLiteral("Cadrelle %1 is available. Install it now?").arg(version)
            : QStringLiteral("Cadrelle %1 is available from the download page.").arg(version));
    notes_->setPlainText(QString::fromStdString(update.notes));
    accept_->setText(canInstall_ ? QStringLiteral("Install and Relaunch")
                                 : QStringLiteral("Open Download Page"));
    accept_->setEnabled(true);
    later_->setEnabled(true);
    progress_->setVisible(false);
    show();
    raise();
    activateWindow();
    if (!update.userInitiated) {
        QApplication::alert(this);
    }
}

void UpdateDialog::showDownloadProgress(std::int64_t received, std::int64_t total) {
    accept_->setEnabled(false);
    later_->setEnabled(false);
    progress_->setVisible(true);
    // Per mille, so that archives over 2 GiB still fit the bar's int range.
    progress_->setRange(0, 1000);
    progress_->setValue(total > 0 ? static_cast<int>(received * 1000 / total) : 0);
}

void UpdateDialog::showNoUpdate(const std::string& message) {
    if (noUpdate_) {
        noUpdate_->close();
    }
    noUpdate_ = new QMessageBox(QMessageBox::Information, kTitle, QString::fromStdString(message),
                                QMessageBox::Ok);
    noUpdate_->setAttribute(Qt::WA_DeleteOnClose);
    noUpdate_->open();
}

void UpdateDialog::dismiss() {
    choose_ = nullptr;
    hide();
}

void UpdateDialog::answer(Choice choice) {
    // Only the first answer counts; the window stays for the progress.
    if (auto choose = std::exchange(choose_, nullptr)) {
        choose(choice);
    }
}

} // namespace cadrelle
