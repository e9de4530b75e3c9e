#pragma once

#include <QFrame>

class QGraphicsOpacityEffect;
class QMenu;
class QPropertyAnimation;
class QToolButton;

namespace cadrelle {

// The buttons shown over the bottom of a card's image while the pointer is
// on the card, left to right: discard, edit, finish menu, copy, save. Each
// button's tooltip and accessible name is its title.
class CardHoverRow final : public QFrame {
    Q_OBJECT

public:
    explicit CardHoverRow(QMenu* finishMenu, QWidget* parent = nullptr);

    void setCopied(bool copied);
    void setFinishMenuState(bool enabled, const QString& toolTip);
    // Fades in or out over 0.15 s, or at once.
    void setShown(bool shown, bool animate);

signals:
    void discardClicked();
    void editClicked();
    void copyClicked();
    void saveClicked();

private:
    QToolButton* addButton(const QIcon& icon, const QString& title);

    QToolButton* finish_;
    QToolButton* copy_;
    QGraphicsOpacityEffect* opacity_;
    QPropertyAnimation* fade_;
};

} // namespace cadrelle
