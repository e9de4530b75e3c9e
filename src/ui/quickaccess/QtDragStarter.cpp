#include "QtDragStarter.h"

#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace cadrelle {

bool QtDragStarter::dragFile(QWidget* source, const QString& file, const QPixmap& picture) {
    auto* drag = new QDrag(source);
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(file)});
    drag->setMimeData(data);
    drag->setPixmap(picture);
    drag->setHotSpot(QPoint(picture.width() / 2, picture.height() / 2));
    return drag->exec(Qt::CopyAction) != Qt::IgnoreAction;
}

} // namespace cadrelle
