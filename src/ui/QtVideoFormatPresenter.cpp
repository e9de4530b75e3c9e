#include "QtVideoFormatPresenter.h"

#include "VideoFormatDialog.h"
#include "WindowPlacement.h"

namespace cadrelle {

QtVideoFormatPresenter::~QtVideoFormatPresenter() {
    if (dialog_) {
        QObject::disconnect(dialog_, &QDialog::finished, nullptr, nullptr);
        delete dialog_;
    }
}

void QtVideoFormatPresenter::present(const std::vector<std::string>& fileNames, Answer answer) {
    dismiss();
    auto* dialog = new VideoFormatDialog(fileNames);
    dialog_ = dialog;
    // Accepting gives the selection; Cancel, Escape and the close button
    // reject the dialog, which answers with no format.
    QObject::connect(
        dialog, &QDialog::finished, dialog, [this, dialog, answer = std::move(answer)](int result) {
            const std::optional<VideoExportFormat> format =
                result == QDialog::Accepted ? std::optional<VideoExportFormat>(dialog->selection())
                                            : std::nullopt;
            // Dismissing drops this connection and the lambda
            // with it, so the answer is taken out first.
            const Answer give = answer;
            if (dialog_ == dialog) {
                dismiss();
            }
            give(format);
        });
    centreOnScreen(*dialog, dialog->size());
    bringToFront(*dialog);
}

void QtVideoFormatPresenter::dismiss() {
    if (!dialog_) {
        return;
    }
    VideoFormatDialog* dialog = dialog_;
    dialog_ = nullptr;
    // Closing it here must not answer the question: the answer goes with
    // the connection. The dialog may be in the middle of its own finish, so
    // it is deleted once that has returned.
    QObject::disconnect(dialog, &QDialog::finished, nullptr, nullptr);
    dialog->hide();
    dialog->deleteLater();
}

VideoFormatDialog* QtVideoFormatPresenter::dialog() const {
    return dialog_;
}

} // namespace cadrelle
