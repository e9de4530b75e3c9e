#pragma once

#include <QSize>

class QWidget;

namespace cadrelle {

// Gives a top-level window `size` and puts it in the middle of the available
// area of the screen it is on (the primary screen for a window not yet shown).
void centreOnScreen(QWidget& window, QSize size);

// Shows a top-level window in front of the others, with the keyboard focus,
// restoring it when it is minimised.
void bringToFront(QWidget& window);

} // namespace cadrelle
