#include "FreedesktopTrash.h"

#include "core/AppError.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>

namespace cadrelle {
namespace {

// Makes sure the user's own trash ($XDG_DATA_HOME/Trash with its "files" and
// "info" folders, private to the user) is there. Qt falls back to it
// whenever a file's own file system has no trash, and when it can't set it
// up either, Qt 6.4 moves the file into "files" and "info" folders of the
// current folder instead of failing: so nothing is moved unless it is there.
bool homeTrashIsReady() {
    namespace fs = std::filesystem;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) {
        return false;
    }
    const fs::path trash = fs::path(QFile::encodeName(data).toStdString()) / "Trash";
    std::error_code error;
    fs::create_directories(trash.parent_path(), error);
    for (const fs::path& folder : {trash, trash / "files", trash / "info"}) {
        if (fs::create_directory(folder, error)) {
            fs::permissions(folder, fs::perms::owner_all, error);
        }
        if (!fs::is_directory(fs::symlink_status(folder, error))) {
            return false;
        }
    }
    return true;
}

} // namespace

void FreedesktopTrash::moveToTrash(const std::filesystem::path& path,
                                   const std::string& shownName) {
    if (!homeTrashIsReady() || !QFile::moveToTrash(QString::fromStdString(path.string()))) {
        throw AppError("Couldn't move " + shownName + " to the Trash.");
    }
}

} // namespace cadrelle
