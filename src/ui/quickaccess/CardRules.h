#pragma once

#include <QPointF>
#include <QString>

#include <cstddef>
#include <string>

namespace cadrelle {

// The texts, thresholds and enabled rules of a Quick Access card, kept apart
// from the widgets so they can be checked on their own.

// A press on the image becomes a file drag once the pointer is more than 4
// away from where the press began.
bool startsFileDrag(QPointF press, QPointF now);

// A mouse drag on the hint row moves the card once it is 12 long.
bool startsStripDrag(QPointF translation);
// Released far enough right and more right than down or up, it saves.
bool stripDragSaves(QPointF translation);

// How far right and how transparent a card is drawn while it is swiped.
double cardSwipeOffset(double swipe);
double cardSwipeOpacity(double swipe);

QString hintText(bool editorOpened);
QString saveToolTip(const std::string& destination);

// The finish menus are offered only before editing and when there is a
// choice; their tooltip says why they are off after editing.
bool finishMenuEnabled(bool editorOpened, std::size_t finishCount);
QString finishMenuToolTip(bool editorOpened);

QString copyTitle(bool copied);

// The hover buttons and the card's accessible actions.
inline const QString kDiscardTitle = QStringLiteral("Move screenshot to Trash");
inline const QString kEditTitle = QStringLiteral("Edit in Image Editor");
inline const QString kFinishTitle = QStringLiteral("Change bezel finish");
inline const QString kSaveTitle = QStringLiteral("Save screenshot");
inline const QString kCopyTitle = QStringLiteral("Copy image");

} // namespace cadrelle
