#pragma once

#include <QIcon>

namespace cadrelle {

// The icons the widgets show: the desktop icon theme's own where it has one,
// else one of our drawings bundled with the program.
QIcon folderIcon();
QIcon saveIcon();
QIcon shieldIcon();
QIcon warningIcon();

} // namespace cadrelle
