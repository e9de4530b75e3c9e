#include "MessageBoxAlertPresenter.h"

#include <QMessageBox>

namespace cadrelle {

void MessageBoxAlertPresenter::launchFailed(const std::string& description) {
    const QString title = QStringLiteral("Cadrelle couldn't start");
    QMessageBox box(QMessageBox::Critical, title, title, QMessageBox::Ok);
    box.setInformativeText(QString::fromStdString(description));
    box.exec();
}

} // namespace cadrelle
