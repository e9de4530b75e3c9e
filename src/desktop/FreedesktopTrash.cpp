#include "FreedesktopTrash.h"

#include "core/AppError.h"

#include <QFile>
#include <QString>

namespace cadrelle {

void FreedesktopTrash::moveToTrash(const std::filesystem::path& path,
                                   const std::string& shownName) {
    if (!QFile::moveToTrash(QString::fromStdString(path.string()))) {
        throw AppError("Couldn't move " + shownName + " to the Trash.");
    }
}

} // namespace cadrelle
