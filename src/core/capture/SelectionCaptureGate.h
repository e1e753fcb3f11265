#pragma once

#include <memory>

// Lets one capture at a time borrow the clipboard. A capture that emptied the clipboard and
// waits for the copy must not have another one snapshot that emptiness, or take its restore
// for the copy: every capture of a process passes the same gate. Main thread only.
class SelectionCaptureGate {
public:
    // Held while a capture borrows the clipboard; destroying it opens the gate again.
    class Pass {
    public:
        Pass(Pass &&) noexcept = default;
        Pass &operator=(Pass &&) noexcept = default;
        ~Pass();

    private:
        friend class SelectionCaptureGate;
        explicit Pass(std::shared_ptr<bool> busy) : m_busy(std::move(busy)) {}
        std::shared_ptr<bool> m_busy;
    };

    bool isOpen() const { return !*m_busy; }
    // Closes the gate until the pass is gone. Only when it is open.
    Pass enter();

private:
    std::shared_ptr<bool> m_busy = std::make_shared<bool>(false);
};
