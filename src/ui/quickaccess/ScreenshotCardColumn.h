#pragma once

#include "CardShadow.h"
#include "CardTransition.h"
#include "ScreenshotCard.h"

#include <QScrollArea>

#include <map>
#include <optional>
#include <string>
#include <vector>

class QVariantAnimation;

namespace cadrelle {

// The scrolling column of cards in the Quick Access panel: the newest
// screenshot on top, the cards sitting at the bottom edge while they are
// fewer than the panel holds. When cards come or go, new ones slide in from
// the right while fading in, removed ones slide out to the right while fading
// out, and the others move to their new places, all on one spring; with
// reduced motion cards only fade and the others take their places at once.
class ScreenshotCardColumn final : public QScrollArea {
    Q_OBJECT

public:
    ScreenshotCardColumn(QuickAccessItems& items, CardServices services,
                         int changeMs = kCardListChangeMs, QWidget* parent = nullptr);

    // Shows these items (oldest first, as the model lists them): new ones
    // get cards, gone ones lose theirs, the others are updated. A new newest
    // item scrolls to the top, a removed one to the bottom. The same ids
    // again change nothing on screen. Changes are animated only while the
    // column is shown.
    void setItems(const std::vector<PendingScreenshot>& items, bool reduceMotion = false);
    // Each card's rectangle in `panel` coordinates, by item id; cards on
    // their way out are left out.
    std::map<std::string, QRect> cardFrames(const QWidget& panel) const;
    void setHoveredID(const std::optional<std::string>& id, bool animate);
    // Passes the once-a-second tick to every card.
    void tick();
    // The cards, top to bottom, without those on their way out.
    const std::vector<ScreenshotCard*>& cards() const { return cards_; }
    // Whether cards are moving.
    bool animating() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A card on its way out, and the distance from the bottom of the column
    // to its top edge, where it stays while it goes.
    struct Leaving {
        ScreenshotCard* card;
        int top;
    };

    std::vector<ScreenshotCard*> cardsFor(const std::vector<PendingScreenshot>& items);
    void begin(const std::vector<ScreenshotCard*>& next, bool reduceMotion);
    void finish();
    void place();
    void fitContent();
    void scrollAfter(bool arrived, bool left);
    int slideDistance() const;
    void paintShadows();

    QuickAccessItems& items_;
    CardServices services_;
    int changeMs_;
    QVariantAnimation* motion_;
    double progress_ = 1;
    // Top to bottom.
    std::vector<ScreenshotCard*> cards_;
    std::vector<Leaving> leaving_;
    // The way of every card that moves or fades while the column changes.
    std::map<ScreenshotCard*, CardTransition> transitions_;
    CardShadow shadow_;
};

} // namespace cadrelle
