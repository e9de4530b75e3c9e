#include "FreedesktopTrash.h"

#include "core/AppError.h"

#include <QFile>
#include <QString>

namespace cadrelle {

void FreedesktopTrash::moveToTrash(const std::filesystem::path& path) {
    if (!QFile::moveToTrash(QString::fromStdString(path.string()))) {
        throw AppError("Couldn't move " + path.filename().string() + " to the Trash.");
    }
}

} // namespace cadrelle
