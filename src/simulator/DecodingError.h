#pragma once

#include <stdexcept>
#include <string>

namespace cadrelle {

// Data that could not be decoded into the expected record. The two messages
// are the ones the user sees for a missing value and for a value of the
// wrong form.
class DecodingError : public std::runtime_error {
public:
    static DecodingError missing() {
        return DecodingError("The data couldn't be read because it is missing.");
    }
    static DecodingError wrongFormat() {
        return DecodingError("The data couldn't be read because it isn't in the correct format.");
    }

    // Throws missing() for null and wrongFormat() when `isExpectedKind` is false.
    static void check(bool isNull, bool isExpectedKind) {
        if (isNull) {
            throw missing();
        }
        if (!isExpectedKind) {
            throw wrongFormat();
        }
    }

private:
    explicit DecodingError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace cadrelle
