#pragma once

#include <exception>
#include <string>

namespace cadrelle::test {

// The message of the error `call` throws, or "" when it throws nothing.
template <typename Call> std::string messageOf(Call&& call) {
    try {
        call();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

} // namespace cadrelle::test
