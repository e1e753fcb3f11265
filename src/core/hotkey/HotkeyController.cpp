#include "hotkey/HotkeyController.h"

#include "hotkey/HotkeyRegistrationError.h"
#include "logging/AppLogger.h"
#include "foundation/AppNotificationCenter.h"

#include <QObject>

#include <utility>

HotkeyController::HotkeyController(std::function<void()> onTrigger, BackendFactory makeBackend, ErrorLogger logError)
    : m_onTrigger(std::move(onTrigger)), m_makeBackend(std::move(makeBackend)), m_logError(std::move(logError))
{
    if (!m_logError)
        m_logError = [](const char *context, const std::exception &error) { AppLogger::error(context, error); };
}

HotkeyController::~HotkeyController() { QObject::disconnect(m_preferencesConnection); }

void HotkeyController::configure(bool enabled, std::optional<GlobalShortcut> wanted)
{
    const GlobalShortcut shortcut = wanted.value_or(m_shortcut);
    if (!enabled) {
        m_shortcut = shortcut;
        if (m_service) {
            m_service->unregister();
            m_service.reset();
        }
        return;
    }
    if (shortcut != m_shortcut) {
        if (m_service && m_service->isRegistered()) {
            if (!changeShortcut(shortcut))
                m_logError(registrationFailureContext, HotkeyRegistrationError::hotkeyRegistrationFailed());
            return;
        }
        // A service that never got its combination is for the old one: the next is made anew.
        m_service.reset();
        m_shortcut = shortcut;
    }
    if (!m_service) {
        auto registrar = std::make_unique<DefaultHotkeyRegistrar>(m_makeBackend(m_shortcut));
        m_service = std::make_unique<HotkeyService>(m_onTrigger, std::move(registrar));
    }
    try {
        m_service->registerDefaultHotkey();
    } catch (const std::exception &error) {
        m_logError(registrationFailureContext, error);
    }
}

bool HotkeyController::changeShortcut(const GlobalShortcut &shortcut)
{
    if (shortcut == m_shortcut)
        return true;
    if (!m_service) {
        m_shortcut = shortcut;
        return true;
    }
    auto candidate = std::make_unique<HotkeyService>(
        m_onTrigger, std::make_unique<DefaultHotkeyRegistrar>(m_makeBackend(shortcut)));
    try {
        candidate->registerDefaultHotkey();
    } catch (const HotkeyRegistrationError &) {
        return false;
    }
    m_service->unregister();
    m_service = std::move(candidate);
    m_shortcut = shortcut;
    return true;
}

void HotkeyController::followTriggerPreferences(AppNotificationCenter &center, std::function<bool()> isEnabled)
{
    QObject::disconnect(m_preferencesConnection);
    // The connection is cut in the destructor, so capturing `this` is safe.
    m_preferencesConnection = QObject::connect(
        &center, &AppNotificationCenter::posted, [this, isEnabled = std::move(isEnabled)](AppNotification name) {
            if (name == AppNotification::lookupTriggerPreferencesChanged)
                configure(isEnabled());
        });
}
