#include "Version.h"

#include <algorithm>
#include <charconv>

namespace cadrelle {

std::optional<Version> Version::parse(std::string_view text) {
    Version version;
    while (true) {
        const std::size_t dot = std::min(text.find('.'), text.size());
        const std::string_view part = text.substr(0, dot);
        std::uint64_t number = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), number);
        // from_chars takes no sign, but an empty part or trailing letters
        // must be refused here.
        if (part.empty() || error != std::errc() || end != part.data() + part.size()) {
            return std::nullopt;
        }
        version.components_.push_back(number);
        if (dot == text.size()) {
            return version;
        }
        text.remove_prefix(dot + 1);
    }
}

std::strong_ordering operator<=>(const Version& left, const Version& right) {
    const std::size_t count = std::max(left.components_.size(), right.components_.size());
    for (std::size_t index = 0; index < count; ++index) {
        const auto component = [index](const Version& version) {
            return index < version.components_.size() ? version.components_[index] : 0;
        };
        if (const auto order = component(left) <=> component(right); order != 0) {
            return order;
        }
    }
    return std::strong_ordering::equal;
}

} // namespace cadrelle
