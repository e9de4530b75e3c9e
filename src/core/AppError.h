#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace cadrelle {

// The error of every check of the system's own. Its message is a complete
// sentence that reaches the user unchanged.
class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string& message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

// Raised when a job's CaptureExportControl was cancelled. Callers tell it
// apart from failures and never report it.
class Cancelled : public std::exception {
public:
    const char* what() const noexcept override { return "Cancelled"; }
};

// The one line the user sees for any caught exception.
std::string userDescription(const std::exception& error);
std::string userDescription(std::exception_ptr error);

} // namespace cadrelle
