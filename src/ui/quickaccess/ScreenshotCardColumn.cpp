#include "ScreenshotCardColumn.h"

#include "TrayGeometry.h"

#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace cadrelle {

ScreenshotCardColumn::ScreenshotCardColumn(AppModel& model, CardServices services, QWidget* parent)
    : QScrollArea(parent), model_(model), services_(std::move(services)) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    layout_ = new QVBoxLayout(content);
    layout_->setContentsMargins(kColumnPadding, kColumnPadding, kColumnPadding, kColumnPadding);
    layout_->setSpacing(kCardSpacing);
    // Takes the room the cards leave, so that they sit at the bottom.
    layout_->addStretch(1);
    setWidget(content);
}

void ScreenshotCardColumn::setItems(const std::vector<PendingScreenshot>& items) {
    const std::optional<std::string> oldNewest =
        cards_.empty() ? std::nullopt : std::optional(cards_.front()->item().record.id);
    const std::size_t oldCount = cards_.size();

    std::vector<ScreenshotCard*> kept;
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        const auto existing = std::find_if(cards_.begin(), cards_.end(), [&](ScreenshotCard* c) {
            return c->item().record.id == item->record.id;
        });
        if (existing != cards_.end()) {
            (*existing)->setItem(*item);
            kept.push_back(*existing);
            cards_.erase(existing);
        } else {
            kept.push_back(new ScreenshotCard(model_, *item, services_, widget()));
        }
    }
    for (ScreenshotCard* gone : cards_) {
        layout_->removeWidget(gone);
        gone->deleteLater();
    }
    cards_ = std::move(kept);
    for (std::size_t index = 0; index < cards_.size(); ++index) {
        layout_->removeWidget(cards_[index]);
        layout_->insertWidget(static_cast<int>(index) + 1, cards_[index], 0, Qt::AlignHCenter);
    }

    const bool arrived = !cards_.empty() && cards_.front()->item().record.id != oldNewest;
    const bool left = cards_.size() < oldCount;
    if (arrived || left) {
        // After the layout has placed the cards, so the range is known.
        QTimer::singleShot(0, this, [this, arrived] {
            QScrollBar* bar = verticalScrollBar();
            bar->setValue(arrived ? bar->minimum() : bar->maximum());
        });
    }
}

std::map<std::string, QRect> ScreenshotCardColumn::cardFrames(const QWidget& panel) const {
    std::map<std::string, QRect> frames;
    for (const ScreenshotCard* card : cards_) {
        frames[card->item().record.id] = QRect(card->mapTo(&panel, QPoint(0, 0)), card->size());
    }
    return frames;
}

void ScreenshotCardColumn::setHoveredID(const std::optional<std::string>& id, bool animate) {
    for (ScreenshotCard* card : cards_) {
        card->setHovering(id == card->item().record.id, animate);
    }
}

void ScreenshotCardColumn::tick() {
    for (ScreenshotCard* card : cards_) {
        card->tick();
    }
}

} // namespace cadrelle
