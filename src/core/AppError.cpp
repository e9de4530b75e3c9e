#include "AppError.h"

#include "JsonSupport.h"

#include <filesystem>
#include <new>
#include <stdexcept>

namespace cadrelle {

namespace {

const char* const kNoMemory = "Not enough memory to create the image.";

} // namespace

std::string userDescription(const std::exception& error) {
    // Failures of the standard library and of JSON decoding carry texts meant
    // for programmers; the user sees a sentence instead.
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr ||
        dynamic_cast<const std::length_error*>(&error) != nullptr) {
        return kNoMemory;
    }
    if (dynamic_cast<const nlohmann::json::exception*>(&error) != nullptr) {
        return kJsonFormatError;
    }
    if (const auto* failure = dynamic_cast<const std::filesystem::filesystem_error*>(&error)) {
        if (!failure->path1().empty()) {
            return failure->path1().string() + ": " + failure->code().message();
        }
        return failure->code().message();
    }
    // AppError's message, and FileError's "<path>: <system error text>".
    return error.what();
}

std::string userDescription(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return userDescription(e);
    } catch (...) {
        return "An unknown error occurred.";
    }
}

} // namespace cadrelle
