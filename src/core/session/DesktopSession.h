#pragma once

#include <QString>

#include <functional>

// The graphical session this process runs in, as its environment describes it. Decides which
// mechanism reads the selection, claims the shortcut and places windows; a process started
// from a console or over SSH has none and cannot run the tray application.
struct DesktopSession {
    enum class Kind { none, x11, wayland };
    // The desktops whose mechanisms differ; `other` for any desktop not named here.
    enum class Desktop { other, gnome, kde, xfce, wlroots, hyprland };

    Kind kind = Kind::none;
    Desktop desktop = Desktop::other;
    // An X server to reach: the session's own, or XWayland inside a Wayland session.
    bool hasX11Display = false;

    // From XDG_SESSION_TYPE, WAYLAND_DISPLAY, DISPLAY and XDG_CURRENT_DESKTOP (SWAYSOCK marks
    // sway). A display variable must be set for its kind: a Wayland login seen over SSH
    // names its type but has no display to reach.
    static DesktopSession detect(const std::function<QString(const char *variable)> &environment);
    // This process's environment.
    static DesktopSession current();

    // For log lines: "wayland (kde)".
    QString description() const;
};
