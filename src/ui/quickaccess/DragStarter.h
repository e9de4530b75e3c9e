#pragma once

#include <QPixmap>
#include <QString>

class QWidget;

namespace cadrelle {

// Starts dragging a file out of the program and waits for the drop.
class DragStarter {
public:
    virtual ~DragStarter() = default;
    // Offers `file` for copying only, shown as `picture`; true when a target
    // accepted it.
    virtual bool dragFile(QWidget* source, const QString& file, const QPixmap& picture) = 0;
};

} // namespace cadrelle
