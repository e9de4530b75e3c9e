#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace cadrelle {

// A release number such as "0.10.2": numbers separated by dots, compared
// component by component, with missing components counting as zero
// ("1.0" equals "1.0.0").
class Version {
public:
    // The version `text` names, or nothing when it isn't one (empty
    // components, signs, letters, numbers too large to hold).
    static std::optional<Version> parse(std::string_view text);

    friend std::strong_ordering operator<=>(const Version& left, const Version& right);
    friend bool operator==(const Version& left, const Version& right) {
        return (left <=> right) == 0;
    }

private:
    std::vector<std::uint64_t> components_;
};

} // namespace cadrelle
