#pragma once

#include "hotkey/GlobalShortcut.h"
#include "hotkey/HotkeyRegistrationBackend.h"

#include <QtGlobal>

// The global hotkey on X11: its combination (Alt+D unless the learner chose another) grabbed passively on the root window through Qt's own xcb
// connection, once for each combination of Caps Lock and Num Lock so the locks do not get in
// the way, and picked out of Qt's event stream by a native event filter on the main thread.
//
// Without an X11 connection (another Qt platform, e.g. offscreen or Wayland) installHandler
// throws eventHandlerInstallationFailed and registerDefaultHotkey hotkeyRegistrationFailed.
// A grab that another client already holds (BadAccess) fails the registration, after every
// grab of the attempt that did succeed has been released again.
class X11HotkeyRegistrationBackend : public HotkeyRegistrationBackend {
public:
    explicit X11HotkeyRegistrationBackend(GlobalShortcut shortcut = GlobalShortcut::defaultShortcut());

    // The X key symbol of the shortcut's key (lower case for letters).
    static quint32 keysym(const GlobalShortcut &shortcut);
    // The X modifier mask of the shortcut's modifiers (Super on Mod4, as standard keymaps have it).
    static quint16 modifierMask(const GlobalShortcut &shortcut);

    std::unique_ptr<HotkeyHandlerToken> installHandler(std::function<void()> onTrigger) override;
    void removeHandler(std::unique_ptr<HotkeyHandlerToken> token) override;
    std::unique_ptr<RegisteredHotkeyToken> registerDefaultHotkey() override;
    void unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken> token) override;

private:
    GlobalShortcut m_shortcut;
};
