#include "hotkey/HotkeyService.h"

#include <utility>

HotkeyService::HotkeyService(std::function<void()> onTrigger, std::unique_ptr<DefaultHotkeyRegistrar> registrar)
    : m_onTrigger(std::move(onTrigger)), m_registrar(std::move(registrar))
{
}

void HotkeyService::registerDefaultHotkey() { m_registrar->registerDefaultHotkey(m_onTrigger); }

void HotkeyService::unregister() { m_registrar->unregister(); }
