#pragma once

#include <QColor>
#include <QIcon>

namespace cadrelle {

// A sidebar page's picture: a 28 × 28 rounded tile filled with a gradient of
// `colour`, carrying `symbol` in white at 16 × 16.
QIcon sidebarTile(const QIcon& symbol, const QColor& colour);

} // namespace cadrelle
