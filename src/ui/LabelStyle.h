#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

class QLabel;
class QWidget;

namespace cadrelle {

// Small helpers that give labels the few looks the windows use.

// Text in the secondary colour (the palette's placeholder text colour).
void setSecondary(QWidget& widget);
// The widget's font at a size given in the points of a design whose body text
// is 13 points, scaled to the application font (14 → 14/13 of its size), in
// `weight`.
void setFontPoints(QWidget& widget, qreal points, QFont::Weight weight = QFont::Normal);
// A label whose text wraps onto as many lines as it needs.
QLabel* wrappedLabel(const QString& text);
// A label showing `icon` at `size` × `size`.
QLabel* iconLabel(const QIcon& icon, int size);
// Lets the user select the label's text with the mouse or the keyboard and
// copy it (Ctrl+C reaches it through the Edit menu); its context menu offers
// "Copy" (the selection, or the whole text when nothing is selected) and
// "Select All".
void makeCopyable(QLabel& label);

} // namespace cadrelle
