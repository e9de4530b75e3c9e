#include "QtFilePanels.h"

#include "WindowPlacement.h"

#include <QFileDialog>

namespace cadrelle {
namespace {

void configure(QFileDialog& dialog, const FilePanelRequest& request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(QString::fromStdString(request.title));
    dialog.setLabelText(QFileDialog::Accept, QString::fromStdString(request.button));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.kind == FilePanelRequest::Kind::folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        // Read-only hides "New Folder": folders are made only where asked.
        dialog.setOption(QFileDialog::ReadOnly, !request.allowNewFolders);
    } else {
        dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles
                                            : QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::ReadOnly);
        QStringList filters;
        for (const auto& filter : request.nameFilters) {
            filters << QString::fromStdString(filter);
        }
        dialog.setNameFilters(filters);
    }
    if (!request.startFolder.empty()) {
        dialog.setDirectory(QFile::decodeName(request.startFolder.c_str()));
    }
}

} // namespace

QtFilePanels::~QtFilePanels() {
    for (const auto& dialog : open_) {
        if (dialog) {
            QObject::disconnect(dialog, &QDialog::finished, nullptr, nullptr);
            delete dialog;
        }
    }
}

void QtFilePanels::show(const FilePanelRequest& request, Done done) {
    auto* dialog = new QFileDialog;
    configure(*dialog, request);
    open_.removeAll(nullptr);
    open_.append(dialog);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, done](int result) {
        std::vector<std::filesystem::path> chosen;
        if (result == QDialog::Accepted) {
            for (const QString& file : dialog->selectedFiles()) {
                chosen.emplace_back(QFile::encodeName(file).toStdString());
            }
        }
        // One answer per dialog: the connection goes (and this lambda with
        // it), so `done` is taken out first.
        const Done give = done;
        QObject::disconnect(dialog, &QDialog::finished, nullptr, nullptr);
        dialog->deleteLater();
        give(chosen);
    });
    dialog->open();
    bringToFront(*dialog);
}

} // namespace cadrelle
