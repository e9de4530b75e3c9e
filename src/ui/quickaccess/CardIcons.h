#pragma once

#include <QIcon>

namespace cadrelle {

// The icons of the Quick Access cards: the desktop icon theme's symbolic
// icons where it has them, else our own drawings. The check in the title and
// the red trash keep their colour, so they are always our drawings.
QIcon readyIcon();
QIcon moreIcon();
QIcon discardIcon();
QIcon editIcon();
QIcon finishIcon();
QIcon copyIcon();
QIcon copiedIcon();
QIcon saveScreenshotIcon();
QIcon hintArrowIcon();

} // namespace cadrelle
