#pragma once

#include <QWidget>

#include <filesystem>
#include <functional>
#include <vector>

class QMimeData;

namespace cadrelle {

// The local files among dropped data that are still to be framed, in the
// order they were dropped. Framed outputs are left out: they are framed
// already, and one may be a Quick Access card being dragged, whose drag must
// not be taken (taking it would mark the card shared).
std::vector<std::filesystem::path> droppedFiles(const QMimeData& data);

// Makes a widget take dropped files. While files hover over it a rounded
// outline is drawn over the whole widget (letting clicks through); on the
// drop `take` gets the files and answers whether it took them (a refused
// drop is reported to the source as not handled).
class FileDropTarget final : public QWidget {
    Q_OBJECT

public:
    using Take = std::function<bool(const std::vector<std::filesystem::path>&)>;

    FileDropTarget(QWidget& target, Take take);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget& target_;
    Take take_;
};

} // namespace cadrelle
