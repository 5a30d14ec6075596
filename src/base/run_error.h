#pragma once

#include <stdexcept>
#include <string>

namespace quillo {

// The classic run-time error numbers that the program reports.
enum class ErrorNumber : int {
    InvalidCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    FileNotFound = 53,
    PathFileAccess = 75,
};

// The one error type: a number, its standard description, and what it concerns
// (a path, a line number). Any RunError that leaves a handler is fatal.
class RunError : public std::runtime_error {
public:
    RunError(ErrorNumber number, std::string concerns);

    ErrorNumber number() const { return number_; }
    // What the error is about, UTF-8; may be empty.
    const std::string& concerns() const { return concerns_; }
    // The text of the fatal-error message box, UTF-8.
    std::string report() const;

private:
    ErrorNumber number_;
    std::string concerns_;
};

std::string describe(ErrorNumber number);

}  // namespace quillo
