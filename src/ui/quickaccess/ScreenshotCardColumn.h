#pragma once

#include "ScreenshotCard.h"

#include <QScrollArea>

#include <map>
#include <optional>
#include <string>
#include <vector>

class QVBoxLayout;

namespace cadrelle {

// The scrolling column of cards in the Quick Access panel: the newest
// screenshot on top, the cards sitting at the bottom edge while they are
// fewer than the panel holds.
class ScreenshotCardColumn final : public QScrollArea {
    Q_OBJECT

public:
    ScreenshotCardColumn(AppModel& model, CardServices services, QWidget* parent = nullptr);

    // Shows these items (oldest first, as the model lists them): new ones
    // get cards, gone ones lose theirs, the others are updated. A new newest
    // item scrolls to the top, a removed one to the bottom.
    void setItems(const std::vector<PendingScreenshot>& items);
    // Each card's rectangle in `panel` coordinates, by item id.
    std::map<std::string, QRect> cardFrames(const QWidget& panel) const;
    void setHoveredID(const std::optional<std::string>& id, bool animate);
    // Passes the once-a-second tick to every card.
    void tick();
    const std::vector<ScreenshotCard*>& cards() const { return cards_; }

private:
    AppModel& model_;
    CardServices services_;
    QVBoxLayout* layout_;
    // Top to bottom.
    std::vector<ScreenshotCard*> cards_;
};

} // namespace cadrelle
