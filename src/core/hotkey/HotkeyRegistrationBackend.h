#pragma once

#include "hotkey/HotkeyHandlerToken.h"
#include "hotkey/RegisteredHotkeyToken.h"

#include <functional>
#include <memory>

// The platform mechanism behind the program's one global hotkey (Alt+D). While a handler is
// installed and the hotkey registered, each physical press anywhere on the desktop calls the
// handler's action once, later, from the main thread's event loop, never from inside a call
// below. All calls happen on the main thread.
class HotkeyRegistrationBackend {
public:
    virtual ~HotkeyRegistrationBackend() = default;

    // Starts listening for hotkey presses. Throws
    // HotkeyRegistrationError::eventHandlerInstallationFailed; never returns null.
    virtual std::unique_ptr<HotkeyHandlerToken> installHandler(std::function<void()> onTrigger) = 0;
    // Stops listening. A token this backend did not issue is dropped without a platform call.
    virtual void removeHandler(std::unique_ptr<HotkeyHandlerToken> token) = 0;

    // Claims the hotkey for the whole desktop. Throws
    // HotkeyRegistrationError::hotkeyRegistrationFailed, for instance when another program
    // holds it already; a failed attempt leaves nothing claimed. Never returns null.
    virtual std::unique_ptr<RegisteredHotkeyToken> registerDefaultHotkey() = 0;
    // Gives the hotkey back. A token this backend did not issue is dropped without a platform call.
    virtual void unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken> token) = 0;
};
