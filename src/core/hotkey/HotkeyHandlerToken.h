#pragma once

// Proof that a backend installed a hotkey handler. Each backend subclasses it with whatever it
// needs to remove that handler again; the registrar only holds it and hands it back.
class HotkeyHandlerToken {
public:
    virtual ~HotkeyHandlerToken() = default;

protected:
    HotkeyHandlerToken() = default;
    HotkeyHandlerToken(const HotkeyHandlerToken &) = delete;
    HotkeyHandlerToken &operator=(const HotkeyHandlerToken &) = delete;
};
