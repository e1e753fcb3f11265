#pragma once

#include "diagnostics/DesktopCheck.h"
#include "hotkey/GlobalShortcut.h"

// The probes of the desktop check on Linux: the X server and its extensions, the session
// bus services (tray host, notifications, Secret Service) and the sound output. Each opens
// what it needs and closes it again.
class LinuxDesktopProbes {
public:
    LinuxDesktopProbes() = delete;

    static DesktopCheck::ProbeResult displaySession();
    static DesktopCheck::ProbeResult trayHost();
    static DesktopCheck::ProbeResult notificationServer();
    static DesktopCheck::ProbeResult secretService();
    static DesktopCheck::ProbeResult soundServer();
    // Whether `shortcut` can be grabbed; `heldHere`: this process holds it already. A grab
    // refused while our tray application runs is taken to be its own.
    static DesktopCheck::ProbeResult hotkeyGrab(const GlobalShortcut &shortcut, bool heldHere);
    static DesktopCheck::ProbeResult primarySelection();
    static DesktopCheck::ProbeResult xtest();
    static DesktopCheck::ProbeResult record();
};
