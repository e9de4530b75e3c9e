#pragma once

#include <QFrame>

class QMenu;
class QToolButton;
class QVariantAnimation;

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
    // Ends a fade in progress at once, where it was going.
    void finishFade();

signals:
    void discardClicked();
    void editClicked();
    void copyClicked();
    void saveClicked();

private:
    QToolButton* addButton(const QIcon& icon, const QString& title);
    void settle(bool shown);

    QToolButton* finish_;
    QToolButton* copy_;
    // Drives an opacity effect that exists only while the row fades, so that
    // the card may take its own effect at any other time.
    QVariantAnimation* fade_;
};

} // namespace cadrelle
