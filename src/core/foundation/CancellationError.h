#pragma once

#include <exception>

// Thrown when our own cancellation token stops a request, a sleep or a capture.
// It is never shown to the learner: view models turn it into their idle state.
class CancellationError : public std::exception {
public:
    const char *what() const noexcept override { return "operation cancelled"; }
};

// True when the stored failure is our cancellation.
inline bool isCancellation(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const CancellationError &) {
        return true;
    } catch (...) {
        return false;
    }
}
