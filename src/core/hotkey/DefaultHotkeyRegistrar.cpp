#include "hotkey/DefaultHotkeyRegistrar.h"

#include "hotkey/HotkeyRegistrationError.h"

#include <utility>

DefaultHotkeyRegistrar::DefaultHotkeyRegistrar(std::unique_ptr<HotkeyRegistrationBackend> backend)
    : m_backend(std::move(backend))
{
}

DefaultHotkeyRegistrar::~DefaultHotkeyRegistrar() { unregister(); }

void DefaultHotkeyRegistrar::registerDefaultHotkey(std::function<void()> onTrigger)
{
    if (m_hotkeyToken)
        return;
    std::unique_ptr<HotkeyHandlerToken> handlerToken = m_backend->installHandler(std::move(onTrigger));
    if (!handlerToken)
        throw HotkeyRegistrationError::eventHandlerInstallationFailed();

    std::unique_ptr<RegisteredHotkeyToken> hotkeyToken;
    try {
        hotkeyToken = m_backend->registerDefaultHotkey();
    } catch (...) {
        m_backend->removeHandler(std::move(handlerToken));
        throw;
    }
    if (!hotkeyToken) {
        m_backend->removeHandler(std::move(handlerToken));
        throw HotkeyRegistrationError::hotkeyRegistrationFailed();
    }

    m_handlerToken = std::move(handlerToken);
    m_hotkeyToken = std::move(hotkeyToken);
}

void DefaultHotkeyRegistrar::unregister()
{
    if (m_hotkeyToken)
        m_backend->unregisterHotkey(std::move(m_hotkeyToken));
    if (m_handlerToken)
        m_backend->removeHandler(std::move(m_handlerToken));
}
