#include "ScreenshotTrayPanel.h"

#include "ScreenshotCardColumn.h"
#include "TrayGeometry.h"
#include "X11PanelHints.h"

#include <QVBoxLayout>

namespace cadrelle {

ScreenshotTrayPanel::ScreenshotTrayPanel(ScreenshotCardColumn* column)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus) {
    setWindowTitle(QStringLiteral("Screenshot Preview"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    // See-through only where a compositor can blend it; elsewhere the
    // window's own colour fills what the cards leave.
    if (compositorRunning()) {
        setAttribute(Qt::WA_TranslucentBackground);
    } else {
        setAutoFillBackground(true);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(column);
    resize(kTrayWidth, kCardHeight + 2 * kColumnPadding);
}

void ScreenshotTrayPanel::present() {
    markAsStickyPanel(*this);
    show();
    raise();
}

} // namespace cadrelle
