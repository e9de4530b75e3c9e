#pragma once

#include <string>
#include <vector>

namespace cadrelle {

// A card of the Quick Access column as a change of the list sees it.
struct ColumnEntry {
    std::string id;
    int height = 0;
};

// How the column's cards change from one list to the next (both top to
// bottom): the cards that come in, those that go, and those that stay but
// move because the cards below them changed. Cards sit at the bottom of the
// column, so a card moves exactly when its distance from the bottom changes.
struct CardListChange {
    std::vector<std::string> entering;
    std::vector<std::string> leaving;
    std::vector<std::string> moving;

    // Whether cards come or go: only such a change is animated. A list with
    // the same ids (the model reports often) changes nothing on screen.
    bool changesCards() const { return !entering.empty() || !leaving.empty(); }

    static CardListChange between(const std::vector<ColumnEntry>& before,
                                  const std::vector<ColumnEntry>& after);
};

} // namespace cadrelle
