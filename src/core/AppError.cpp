#include "AppError.h"

namespace cadrelle {

std::string userDescription(const std::exception& error) { return error.what(); }

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
