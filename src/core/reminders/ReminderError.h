#pragma once

#include <exception>

// Why a reminder could not be switched on. Carries no text: the settings screen words its
// own message, and the log records the kind.
class ReminderError : public std::exception {
public:
    enum class Kind {
        permissionDenied,        // the desktop will not show our notifications
        permissionRequestFailed, // asking whether it would failed
    };

    explicit ReminderError(Kind kind) : m_kind(kind) {}

    Kind kind() const { return m_kind; }
    bool operator==(const ReminderError &other) const { return m_kind == other.m_kind; }
    const char *what() const noexcept override
    {
        return m_kind == Kind::permissionDenied ? "permissionDenied" : "permissionRequestFailed";
    }

private:
    Kind m_kind;
};
