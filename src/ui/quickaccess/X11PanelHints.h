#pragma once

class QWidget;

namespace cadrelle {

// What the X Window System needs to keep the Quick Access panel where it
// belongs. Both do nothing on other platforms.

// Whether a compositing manager runs on the display, so that a window may
// be see-through.
bool compositorRunning();

// Puts the panel on every workspace and out of taskbars and pagers. Written
// before each map, since window managers drop these when a window is
// withdrawn.
void markAsStickyPanel(QWidget& window);

} // namespace cadrelle
