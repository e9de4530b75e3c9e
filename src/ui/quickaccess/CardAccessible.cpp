#include "CardAccessible.h"

#include "ScreenshotCard.h"

#include <QAccessibleWidget>

namespace cadrelle {
namespace {

class CardAccessible final : public QAccessibleWidget {
public:
    explicit CardAccessible(ScreenshotCard* card)
        : QAccessibleWidget(card, QAccessible::Grouping) {}

    QStringList actionNames() const override { return ScreenshotCard::actionNames(); }

    void doAction(const QString& name) override {
        static_cast<ScreenshotCard*>(widget())->triggerAction(name);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* cardFactory(const QString&, QObject* object) {
    if (auto* card = qobject_cast<ScreenshotCard*>(object)) {
        return new CardAccessible(card);
    }
    return nullptr;
}

} // namespace

void installCardAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(cardFactory);
        return true;
    }();
    (void)installed;
}

} // namespace cadrelle
