#include "PreviewWindow.h"

#include "CapturePreview.h"
#include "WindowPlacement.h"

#include <QVBoxLayout>

namespace cadrelle {
namespace {

constexpr QSize kSize(570, 720);

} // namespace

PreviewWindow::PreviewWindow(AppModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint) {
    setWindowTitle(QStringLiteral("Cadrelle Preview"));
    resize(kSize);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new CapturePreview(model));
}

void PreviewWindow::showAndRaise() {
    bringToFront(*this);
}

void PreviewWindow::setVisible(bool visible) {
    if (visible && !placed_) {
        placed_ = true;
        centreOnScreen(*this, kSize);
    }
    QWidget::setVisible(visible);
}

} // namespace cadrelle
