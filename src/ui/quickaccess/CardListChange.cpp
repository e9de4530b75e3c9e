#include "CardListChange.h"

#include "TrayGeometry.h"

#include <map>

namespace cadrelle {
namespace {

// Each card's distance from the bottom of the column to its bottom edge.
std::map<std::string, int> distancesFromBottom(const std::vector<ColumnEntry>& entries) {
    std::map<std::string, int> distances;
    int distance = 0;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        distances[entry->id] = distance;
        distance += entry->height + kCardSpacing;
    }
    return distances;
}

} // namespace

CardListChange CardListChange::between(const std::vector<ColumnEntry>& before,
                                       const std::vector<ColumnEntry>& after) {
    const std::map<std::string, int> oldPlaces = distancesFromBottom(before);
    const std::map<std::string, int> newPlaces = distancesFromBottom(after);
    CardListChange change;
    for (const ColumnEntry& entry : after) {
        const auto old = oldPlaces.find(entry.id);
        if (old == oldPlaces.end()) {
            change.entering.push_back(entry.id);
        } else if (old->second != newPlaces.at(entry.id)) {
            change.moving.push_back(entry.id);
        }
    }
    for (const ColumnEntry& entry : before) {
        if (newPlaces.count(entry.id) == 0) {
            change.leaving.push_back(entry.id);
        }
    }
    return change;
}

} // namespace cadrelle
