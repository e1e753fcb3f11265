#pragma once

#include "diagnostics/DesktopCheck.h"
#include "hotkey/GlobalShortcut.h"
#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "session/DesktopSession.h"

#include <QCoroTask>

#include <optional>

// The probes of the desktop check on Linux: the X server and its extensions, the Wayland
// compositor and the desktop portal, the session bus services (tray host, notifications,
// Secret Service) and the sound output. Each opens what it needs and closes it again.
class LinuxDesktopProbes {
public:
    LinuxDesktopProbes() = delete;

    static DesktopCheck::ProbeResult displaySession();
    static DesktopCheck::ProbeResult trayHost();
    static DesktopCheck::ProbeResult notificationServer();
    static DesktopCheck::ProbeResult secretService();
    // `hasAudioOutput`: the sound module found somewhere to play (a server or device).
    static DesktopCheck::ProbeResult soundServer(bool hasAudioOutput);
    // Whether `shortcut` can be grabbed; `heldHere`: this process holds it already. A grab
    // refused while our tray application runs is taken to be its own.
    static DesktopCheck::ProbeResult hotkeyGrab(const GlobalShortcut &shortcut, bool heldHere);
    static DesktopCheck::ProbeResult primarySelection();
    static DesktopCheck::ProbeResult xtest();
    static DesktopCheck::ProbeResult record();

    // The compositor reached through WAYLAND_DISPLAY, the desktop, and whether XWayland runs.
    static DesktopCheck::ProbeResult waylandSession(const DesktopSession &session);
    // data-control, else XWayland standing in for the selections of X11 applications.
    static DesktopCheck::ProbeResult dataControlSelection();
    // The portal's global shortcuts. `heldHere`: this process's own binding, whose state
    // and assigned key say more than the portal's presence; nothing where it has none.
    struct PortalBinding {
        PortalGlobalShortcutsBackend::State state;
        QString assignedTrigger;
    };
    static QCoro::Task<DesktopCheck::ProbeResult> portalShortcut(DesktopSession::Desktop desktop,
                                                                 std::optional<PortalBinding> heldHere);
    // The portal's RemoteDesktop interface, whose keyboard the copy fallback asks for.
    static QCoro::Task<DesktopCheck::ProbeResult> portalKeyboard();
    static DesktopCheck::ProbeResult waylandMouseWatch();

    // The version of `interface` the desktop portal offers; nothing when it offers none.
    // Asked without blocking, with a timeout that leaves room for the portal to start.
    static QCoro::Task<std::optional<uint>> portalInterfaceVersion(QString interface);
};
