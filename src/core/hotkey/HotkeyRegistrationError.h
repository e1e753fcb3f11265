#pragma once

#include <exception>

// The hotkey could not be set up. Never shown to the user: the program carries on without
// the hotkey and logs the failure; what() is the case name, for that log line.
class HotkeyRegistrationError : public std::exception {
public:
    enum class Kind { eventHandlerInstallationFailed, hotkeyRegistrationFailed };

    static HotkeyRegistrationError eventHandlerInstallationFailed()
    {
        return HotkeyRegistrationError(Kind::eventHandlerInstallationFailed);
    }
    static HotkeyRegistrationError hotkeyRegistrationFailed()
    {
        return HotkeyRegistrationError(Kind::hotkeyRegistrationFailed);
    }

    Kind kind() const { return m_kind; }
    const char *what() const noexcept override
    {
        return m_kind == Kind::eventHandlerInstallationFailed ? "eventHandlerInstallationFailed"
                                                              : "hotkeyRegistrationFailed";
    }

    bool operator==(const HotkeyRegistrationError &other) const { return m_kind == other.m_kind; }

private:
    explicit HotkeyRegistrationError(Kind kind) : m_kind(kind) {}

    Kind m_kind;
};
