#pragma once

#include "app/AppDelegate.h"
#include "app/DesktopServicing.h"
#include "session/DesktopSession.h"

#include <QPointer>

#include <memory>
#include <optional>

class AppServices;
class DBusApplicationInstance;
class FreedesktopNotificationCenter;
class PortalGlobalShortcutsBackend;
class PortalRemoteDesktopKeyboard;
class SelectionCaptureGate;
class SelectionPasteboard;
class WaylandClipboardKeeper;

// The desktop's mechanisms behind the services of one AppServices, for the tray application
// and the commands. The selection, the hotkey and the badge go by the desktop session: X11
// mechanisms in an X11 session; in a Wayland session the selection comes through
// data-control where the compositor offers it (else through XWayland, else not at all, with
// the reason), and the badge is off. Reminders are desktop notifications over D-Bus.
class DesktopServices final : public DesktopServicing {
public:
    explicit DesktopServices(AppServices &services);
    ~DesktopServices() override;
    DesktopServices(const DesktopServices &) = delete;
    DesktopServices &operator=(const DesktopServices &) = delete;

    // What the tray application's delegate builds lookups and triggers from.
    AppDelegate::Services delegateServices();
    // The reminders as desktop notifications, kept in the user defaults.
    FreedesktopNotificationCenter &reminderNotificationCenter();

    // A clipboard it puts back is handed to a detached server, so that it outlives the command.
    SelectedTextCapturing &commandSelectionCapture() override;
    ApplicationInstanceConnecting &applicationInstance() override;
    QCoro::Task<DesktopCheck::Report> checkDesktop(bool includeNetwork, bool hotkeyHeldHere) override;

private:
    // The capture of the hotkey, the badge and `lookup --selection`, over `pasteboard`. All of
    // them pass the one gate of the process, so that they never borrow the clipboard at once.
    static std::unique_ptr<SelectedTextCapturing> makeSelectionCapture(std::shared_ptr<SelectionPasteboard> pasteboard,
                                                                       std::shared_ptr<SelectionCaptureGate> gate);
    // The capture of this session: X11's, or Wayland's when the session reads the selection
    // through Wayland, there with the tray application's copy fallback if `copyFallback`
    // (a command would leave with the clipboard it puts back).
    std::unique_ptr<SelectedTextCapturing> makeSessionCapture(bool copyFallback);
    // Wayland without X11 selection access, or with data-control: the selection is read
    // through Wayland (or reported unreadable). Asks the compositor once.
    bool readsSelectionThroughWayland();
    // Logs once which mechanism serves each trigger in this session.
    void logSessionMechanisms();

    AppServices &m_services;
    const DesktopSession m_session = DesktopSession::current();
    std::optional<bool> m_waylandDataControl;
    // The Wayland copy fallback's keyboard and the clipboard it puts back; made on first use.
    std::shared_ptr<PortalRemoteDesktopKeyboard> m_portalKeyboard;
    std::shared_ptr<std::unique_ptr<WaylandClipboardKeeper>> m_waylandClipboardKeeper;
    // The hotkey's portal binding while the tray application holds one, for the desktop check.
    QPointer<PortalGlobalShortcutsBackend> m_portalShortcuts;
    const std::shared_ptr<SelectionCaptureGate> m_selectionCaptureGate;
    std::unique_ptr<SelectedTextCapturing> m_commandSelectionCapture;
    std::unique_ptr<DBusApplicationInstance> m_applicationInstance;
    std::unique_ptr<FreedesktopNotificationCenter> m_reminderNotificationCenter;
};
