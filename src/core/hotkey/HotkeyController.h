#pragma once

#include "hotkey/GlobalShortcut.h"
#include "hotkey/HotkeyRegistrationBackend.h"
#include "hotkey/HotkeyService.h"

#include <QMetaObject>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class AppNotificationCenter;

// Turns the "hotkey enabled" preference into a registered or absent HotkeyService, as the
// application shell needs it at start-up and whenever the lookup triggers change. A failed
// registration is logged and otherwise ignored: the program keeps running without the
// hotkey, and the learner still has the menu and the badge. Main thread only.
class HotkeyController {
public:
    // A backend for the given combination.
    using BackendFactory = std::function<std::unique_ptr<HotkeyRegistrationBackend>(const GlobalShortcut &)>;
    using ErrorLogger = std::function<void(const char *context, const std::exception &error)>;

    // The log context of a failed registration. Its wording is fixed (log searches rely on
    // it), although the key is called Alt+D on this desktop.
    static constexpr const char *registrationFailureContext = "Failed to register global hotkey Option+D";

    // `makeBackend` is called each time a service is created and must return a backend;
    // `logError` defaults to AppLogger::error.
    HotkeyController(std::function<void()> onTrigger, BackendFactory makeBackend, ErrorLogger logError = {});
    ~HotkeyController();

    HotkeyController(const HotkeyController &) = delete;
    HotkeyController &operator=(const HotkeyController &) = delete;

    // Enabled: creates the service if there is none, then registers (a failure is logged; the
    // service stays, so a later call retries). Disabled: unregisters and drops the service.
    // A shortcut other than the current one is moved to as changeShortcut does; none keeps it.
    void configure(bool enabled, std::optional<GlobalShortcut> shortcut = std::nullopt);
    // Claims `shortcut` before letting the current combination go, so that a combination
    // another client holds changes nothing: false then, and the previous one stays active.
    // Without a live service it only records the combination for the next registration.
    bool changeShortcut(const GlobalShortcut &shortcut);
    const GlobalShortcut &shortcut() const { return m_shortcut; }

    // Re-reads `isEnabled` and configures whenever "lookupTriggerPreferencesChanged" is posted
    // on `center`, until this controller is destroyed. Replaces an earlier subscription.
    void followTriggerPreferences(AppNotificationCenter &center, std::function<bool()> isEnabled);

    // The live service, or null while the hotkey is disabled.
    HotkeyService *service() const { return m_service.get(); }
    bool isRegistered() const { return m_service && m_service->isRegistered(); }

private:
    std::function<void()> m_onTrigger;
    BackendFactory m_makeBackend;
    ErrorLogger m_logError;
    std::unique_ptr<HotkeyService> m_service;
    GlobalShortcut m_shortcut;
    QMetaObject::Connection m_preferencesConnection;
};
