#pragma once

#include "hotkey/DefaultHotkeyRegistrar.h"

#include <functional>
#include <memory>

// The program's global hotkey: the action it runs and the registrar that claims the key.
// Both are fixed at construction; the registrar must not be null. Main thread only.
class HotkeyService {
public:
    HotkeyService(std::function<void()> onTrigger, std::unique_ptr<DefaultHotkeyRegistrar> registrar);

    // Claims the hotkey for onTrigger; harmless while registered. Throws HotkeyRegistrationError.
    void registerDefaultHotkey();
    void unregister();
    bool isRegistered() const { return m_registrar->isRegistered(); }

private:
    std::function<void()> m_onTrigger;
    std::unique_ptr<DefaultHotkeyRegistrar> m_registrar;
};
