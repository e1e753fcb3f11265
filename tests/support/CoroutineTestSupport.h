#pragma once

#include <QCoroTask>

#include <exception>
#include <optional>

// QCoro::waitFor() never returns when the awaited task throws (the exception stays inside
// its helper coroutine and the nested loop keeps running). These wrappers catch it in the
// task and rethrow it in the test, so EXPECT_THROW works on coroutines.
namespace coroutine_test_detail {

template<typename T>
QCoro::Task<std::optional<T>> capture(QCoro::Task<T> task, std::exception_ptr &failure)
{
    try {
        co_return co_await std::move(task);
    } catch (...) {
        failure = std::current_exception();
    }
    co_return std::nullopt;
}

inline QCoro::Task<bool> capture(QCoro::Task<void> task, std::exception_ptr &failure)
{
    try {
        co_await std::move(task);
    } catch (...) {
        failure = std::current_exception();
    }
    co_return true;
}

} // namespace coroutine_test_detail

// Runs the task to completion on a nested event loop (tests only) and returns its result
// or rethrows its exception.
template<typename T>
T waitForTask(QCoro::Task<T> task)
{
    std::exception_ptr failure;
    auto result = QCoro::waitFor(coroutine_test_detail::capture(std::move(task), failure));
    if (failure)
        std::rethrow_exception(failure);
    if constexpr (!std::is_void_v<T>)
        return std::move(*result);
}
