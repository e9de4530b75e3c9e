#pragma once

#include <QIcon>

namespace cadrelle {

// The icons the widgets show: the desktop icon theme's own where it has one,
// else one of our drawings bundled with the program.

// Our bundled drawing `file`.
QIcon bundledIcon(const QString& file);
// The theme's icon `themeName`, else the bundled drawing `bundledFile`.
QIcon themedIcon(const QString& themeName, const QString& bundledFile);

QIcon folderIcon();
QIcon saveIcon();
QIcon shieldIcon();
QIcon warningIcon();
QIcon infoIcon();
QIcon addIcon();
QIcon playIcon();
QIcon pauseIcon();

} // namespace cadrelle
