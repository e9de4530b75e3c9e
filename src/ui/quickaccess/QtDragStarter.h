#pragma once

#include "DragStarter.h"

namespace cadrelle {

// A Qt drag carrying the file's location (text/uri-list), copy only.
class QtDragStarter final : public DragStarter {
public:
    bool dragFile(QWidget* source, const QString& file, const QPixmap& picture) override;
};

} // namespace cadrelle
