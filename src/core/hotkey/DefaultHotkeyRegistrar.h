#pragma once

#include "hotkey/HotkeyRegistrationBackend.h"

#include <functional>
#include <memory>

// Registers the program's hotkey through a backend and remembers what it installed, so that
// it can take it all back. Releasing the registrar unregisters. Main thread only.
class DefaultHotkeyRegistrar {
public:
    explicit DefaultHotkeyRegistrar(std::unique_ptr<HotkeyRegistrationBackend> backend);
    ~DefaultHotkeyRegistrar();

    DefaultHotkeyRegistrar(const DefaultHotkeyRegistrar &) = delete;
    DefaultHotkeyRegistrar &operator=(const DefaultHotkeyRegistrar &) = delete;

    // Installs the handler and claims the hotkey; does nothing while registered. On failure
    // the HotkeyRegistrationError propagates and nothing stays installed.
    void registerDefaultHotkey(std::function<void()> onTrigger);
    // Gives back the hotkey and then the handler, each only when held.
    void unregister();

    bool isRegistered() const { return m_hotkeyToken != nullptr; }

private:
    std::unique_ptr<HotkeyRegistrationBackend> m_backend;
    std::unique_ptr<HotkeyHandlerToken> m_handlerToken;
    std::unique_ptr<RegisteredHotkeyToken> m_hotkeyToken;
};
