#include "ScreenshotCardColumn.h"

#include "CardListChange.h"
#include "TrayGeometry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>

namespace cadrelle {
namespace {

std::vector<ColumnEntry> entries(const std::vector<ScreenshotCard*>& cards) {
    std::vector<ColumnEntry> result;
    for (const ScreenshotCard* card : cards) {
        result.push_back({card->item().record.id, card->height()});
    }
    return result;
}

std::vector<int> heights(const std::vector<ScreenshotCard*>& cards) {
    std::vector<int> result;
    for (const ScreenshotCard* card : cards) {
        result.push_back(card->height());
    }
    return result;
}

bool holds(const std::vector<ScreenshotCard*>& cards, const ScreenshotCard* card) {
    return std::find(cards.begin(), cards.end(), card) != cards.end();
}

} // namespace

ScreenshotCardColumn::ScreenshotCardColumn(QuickAccessItems& items, CardServices services,
                                           int changeMs, QWidget* parent)
    : QScrollArea(parent), items_(items), services_(std::move(services)), changeMs_(changeMs),
      motion_(new QVariantAnimation(this)) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);
    // The cards are placed by hand, so that they can move between places.
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    content->setMinimumHeight(columnContentHeight({}));
    // The scroll area watches its content; this class's filter sees the
    // content's resizes and paints the cards' shadows on it.
    setWidget(content);

    motion_->setStartValue(0.0);
    motion_->setEndValue(1.0);
    motion_->setEasingCurve(cardListCurve());
    connect(motion_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        progress_ = value.toDouble();
        place();
    });
    connect(motion_, &QVariantAnimation::finished, this, &ScreenshotCardColumn::finish);
}

void ScreenshotCardColumn::setItems(const std::vector<PendingScreenshot>& items,
                                    bool reduceMotion) {
    const std::vector<ScreenshotCard*> next = cardsFor(items);
    const CardListChange change = CardListChange::between(entries(cards_), entries(next));
    if (!change.changesCards()) {
        return;
    }
    const bool arrived = !next.empty() && std::count(change.entering.begin(), change.entering.end(),
                                                     next.front()->item().record.id) != 0;
    const bool left = next.size() < cards_.size();
    begin(next, reduceMotion);
    scrollAfter(arrived, left);
}

std::vector<ScreenshotCard*>
ScreenshotCardColumn::cardsFor(const std::vector<PendingScreenshot>& items) {
    std::vector<ScreenshotCard*> next;
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        const auto existing = std::find_if(cards_.begin(), cards_.end(), [&](ScreenshotCard* c) {
            return c->item().record.id == item->record.id;
        });
        if (existing != cards_.end()) {
            (*existing)->setItem(*item);
            next.push_back(*existing);
            continue;
        }
        auto* card = new ScreenshotCard(items_, *item, services_, widget());
        // An error line makes a card taller: the others make room.
        card->installEventFilter(this);
        connect(card, &ScreenshotCard::appearanceChanged, widget(), qOverload<>(&QWidget::update));
        next.push_back(card);
    }
    return next;
}

// Every card starts from where it is drawn now: a change that comes while
// another is under way continues from there.
void ScreenshotCardColumn::begin(const std::vector<ScreenshotCard*>& next, bool reduceMotion) {
    motion_->stop();
    const int oldHeight = widget()->height();
    std::map<ScreenshotCard*, int> tops;
    for (ScreenshotCard* card : cards_) {
        tops[card] = oldHeight - card->y();
    }
    const int distance = slideDistance();
    std::map<ScreenshotCard*, CardTransition> transitions;
    for (ScreenshotCard* card : cards_) {
        if (!holds(next, card)) {
            card->setLeaving();
            // Above the others, and after them for assistive technologies.
            card->raise();
            leaving_.push_back({card, tops[card]});
        }
    }
    for (const Leaving& gone : leaving_) {
        // Its top already holds how far it had moved down.
        CardTransition way = CardTransition::leaving(distance, reduceMotion);
        way.from = gone.card->pose();
        way.from.offsetY = 0;
        transitions[gone.card] = way;
    }
    cards_ = next;
    fitContent();

    const int newHeight = widget()->height();
    const std::vector<QRect> places = columnCardRects(heights(cards_), widget()->size());
    for (std::size_t index = 0; index < cards_.size(); ++index) {
        ScreenshotCard* card = cards_[index];
        const auto top = tops.find(card);
        if (top == tops.end()) {
            transitions[card] = CardTransition::entering(distance, reduceMotion);
            card->show();
        } else {
            const int down = places[index].y() - (newHeight - top->second);
            transitions[card] = CardTransition::staying(card->pose(), down, reduceMotion);
        }
    }
    transitions_ = std::move(transitions);
    if (!isVisible() || changeMs_ <= 0) {
        finish();
        return;
    }
    progress_ = 0;
    place();
    motion_->setDuration(changeMs_);
    motion_->start();
}

void ScreenshotCardColumn::finish() {
    motion_->stop();
    for (const Leaving& gone : leaving_) {
        gone.card->hide();
        gone.card->deleteLater();
    }
    leaving_.clear();
    transitions_.clear();
    progress_ = 1;
    place();
}

bool ScreenshotCardColumn::animating() const {
    return motion_->state() == QAbstractAnimation::Running;
}

// Puts every card where the layout wants it, as far along its way as the
// change has come.
void ScreenshotCardColumn::place() {
    const QSize area = widget()->size();
    const auto poseOf = [this](ScreenshotCard* card) {
        const auto way = transitions_.find(card);
        return way == transitions_.end() ? CardPose{} : way->second.at(progress_);
    };
    const std::vector<QRect> places = columnCardRects(heights(cards_), area);
    for (std::size_t index = 0; index < cards_.size(); ++index) {
        cards_[index]->place(places[index].topLeft(), poseOf(cards_[index]));
    }
    const int left = (area.width() - kCardWidth) / 2;
    for (const Leaving& gone : leaving_) {
        gone.card->place(QPoint(left, area.height() - gone.top), poseOf(gone.card));
    }
    widget()->update();
}

// The content is as tall as the cards need, or as the panel when that is
// more; the scroll area takes the new height at once.
void ScreenshotCardColumn::fitContent() {
    widget()->setMinimumHeight(columnContentHeight(heights(cards_)));
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(this, &request);
}

void ScreenshotCardColumn::scrollAfter(bool arrived, bool left) {
    if (!arrived && !left) {
        return;
    }
    // After the scroll area has taken the content's size, so the range is
    // known.
    QTimer::singleShot(0, this, [this, arrived] {
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(arrived ? bar->minimum() : bar->maximum());
    });
}

// From a card's left edge to beyond the column's right edge.
int ScreenshotCardColumn::slideDistance() const {
    return widget()->width() - (widget()->width() - kCardWidth) / 2;
}

bool ScreenshotCardColumn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget()) {
        if (event->type() == QEvent::Resize) {
            place();
        } else if (event->type() == QEvent::Paint) {
            paintShadows();
        }
    } else if (event->type() == QEvent::Resize &&
               holds(cards_, qobject_cast<ScreenshotCard*>(watched))) {
        fitContent();
        place();
    }
    return QScrollArea::eventFilter(watched, event);
}

void ScreenshotCardColumn::paintShadows() {
    QPainter painter(widget());
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Leaving& gone : leaving_) {
        shadow_.paint(painter, gone.card->geometry(), gone.card->opacity());
    }
    for (const ScreenshotCard* card : cards_) {
        shadow_.paint(painter, card->geometry(), card->opacity());
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
