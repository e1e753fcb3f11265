#pragma once

#include <functional>
#include <memory>

// Our own cancellation: QCoro tasks cannot be cancelled, so long operations (network
// replies, sleeps, captures) take a token and abort themselves when it fires, surfacing
// a CancellationError. Copies share one state. Main thread only.
class CancellationToken {
public:
    // Keeps a callback registered while alive; destroying it unregisters the callback.
    class Registration {
    public:
        Registration() = default;
        Registration(Registration &&) noexcept = default;
        Registration &operator=(Registration &&) noexcept;
        Registration(const Registration &) = delete;
        Registration &operator=(const Registration &) = delete;
        ~Registration();

    private:
        friend class CancellationToken;
        struct Entry;
        std::shared_ptr<Entry> m_entry;
    };

    CancellationToken();

    void cancel() const;
    bool isCancelled() const;
    // Throws CancellationError when cancelled.
    void throwIfCancelled() const;
    // Runs the callback once on cancel(); at once when already cancelled.
    [[nodiscard]] Registration onCancel(std::function<void()> callback) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
