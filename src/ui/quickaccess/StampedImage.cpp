#include "StampedImage.h"

#include <QString>

namespace cadrelle {

void StampedImage::reload(const std::filesystem::path& file) {
    const std::optional<FileStamp> stamp = FileStamp::of(file);
    if (stamp == stamp_ && !picture_.isNull()) {
        return;
    }
    picture_ = QPixmap(QString::fromStdString(file.string()));
    stamp_ = stamp;
}

} // namespace cadrelle
