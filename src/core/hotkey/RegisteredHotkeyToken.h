#pragma once

// Proof that a backend registered the hotkey. Each backend subclasses it with whatever it
// needs to unregister; the registrar only holds it and hands it back.
class RegisteredHotkeyToken {
public:
    virtual ~RegisteredHotkeyToken() = default;

protected:
    RegisteredHotkeyToken() = default;
    RegisteredHotkeyToken(const RegisteredHotkeyToken &) = delete;
    RegisteredHotkeyToken &operator=(const RegisteredHotkeyToken &) = delete;
};
