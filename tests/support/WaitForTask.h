#pragma once

#include <QCoro/QCoroTask>

#include <exception>
#include <optional>
#include <utility>

// Runs a task to completion on a nested event loop (tests only). QCoro 0.8's own waitFor never
// returns when the task throws, so the exception is carried out here and rethrown.
template<typename T>
T waitForTask(QCoro::Task<T> task)
{
    std::exception_ptr error;
    auto guarded = [](QCoro::Task<T> inner, std::exception_ptr &failure) -> QCoro::Task<std::optional<T>> {
        try {
            co_return co_await std::move(inner);
        } catch (...) {
            failure = std::current_exception();
        }
        co_return std::nullopt;
    };
    std::optional<T> result = QCoro::waitFor(guarded(std::move(task), error));
    if (error)
        std::rethrow_exception(error);
    return std::move(*result);
}

inline void waitForTask(QCoro::Task<void> task)
{
    std::exception_ptr error;
    auto guarded = [](QCoro::Task<void> inner, std::exception_ptr &failure) -> QCoro::Task<bool> {
        try {
            co_await std::move(inner);
        } catch (...) {
            failure = std::current_exception();
        }
        co_return true;
    };
    QCoro::waitFor(guarded(std::move(task), error));
    if (error)
        std::rethrow_exception(error);
}
