#pragma once

#include "model/DesktopServices.h"

#include <QList>
#include <QPointer>

class QFileDialog;

namespace cadrelle {

// Open dialogs for files or a folder: Qt's own file dialog (the same on
// every desktop), titled with the request's sentence, its accept button named
// by the request, opened without blocking the caller.
class QtFilePanels final : public FilePanels {
public:
    QtFilePanels() = default;
    // Closes dialogs still open without calling their `done`.
    ~QtFilePanels() override;
    QtFilePanels(const QtFilePanels&) = delete;
    QtFilePanels& operator=(const QtFilePanels&) = delete;

    void show(const FilePanelRequest& request, Done done) override;

private:
    QList<QPointer<QFileDialog>> open_;
};

} // namespace cadrelle
