#pragma once

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

namespace cadrelle {

// Reads a JSON number into an integer field. A whole number the field can
// hold is taken, written as an integer or with a fraction (1170 or 1170.0);
// anything else throws nlohmann::json's out-of-range or type error. (Its own
// conversion casts a floating-point number blindly, which is undefined for a
// value outside the field's range.)
template <std::integral T> void getInteger(const nlohmann::json& json, T& field) {
    if (json.is_number_unsigned()) {
        if (const auto value = json.get<std::uint64_t>(); std::in_range<T>(value)) {
            field = static_cast<T>(value);
            return;
        }
    } else if (json.is_number_integer()) {
        if (const auto value = json.get<std::int64_t>(); std::in_range<T>(value)) {
            field = static_cast<T>(value);
            return;
        }
    } else if (json.is_number_float()) {
        // The lowest value and the one just beyond the highest are powers of
        // two, exact as doubles.
        const double value = json.get<double>();
        const auto lowest = static_cast<double>(std::numeric_limits<T>::min());
        const double beyond = 2.0 * (static_cast<double>(std::numeric_limits<T>::max() / 2) + 1);
        if (std::trunc(value) == value && value >= lowest && value < beyond) {
            field = static_cast<T>(value);
            return;
        }
    } else {
        throw nlohmann::json::type_error::create(
            302, std::string("type must be number, but is ") + json.type_name(), &json);
    }
    throw nlohmann::json::out_of_range::create(
        406, "number " + json.dump() + " does not fit an integer field", &json);
}

} // namespace cadrelle
