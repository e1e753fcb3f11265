#include "session/DesktopSession.h"

#include <QHash>

#include <gtest/gtest.h>

using Kind = DesktopSession::Kind;
using Desktop = DesktopSession::Desktop;

TEST(DesktopSession, DetectsTheKindTheDisplaysAndTheDesktop)
{
    struct Case {
        QHash<QString, QString> environment;
        Kind kind;
        bool hasX11Display;
        Desktop desktop;
    };
    const Case cases[] = {
        // A console or SSH login: a Wayland login's type is inherited, but there is no display.
        {{}, Kind::none, false, Desktop::other},
        {{{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "KDE"}}, Kind::none, false, Desktop::other},
        {{{"XDG_SESSION_TYPE", "tty"}, {"DISPLAY", ""}}, Kind::none, false, Desktop::other},
        {{{"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "XFCE"}}, Kind::x11, true, Desktop::xfce},
        // Wayland with XWayland; the desktop list names the most specific first.
        {{{"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"},
          {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}},
         Kind::wayland, true, Desktop::gnome},
        {{{"WAYLAND_DISPLAY", "/run/user/1000/wayland-1"}, {"SWAYSOCK", "/run/user/1000/sway-ipc.sock"}},
         Kind::wayland, false, Desktop::wlroots},
        {{{"WAYLAND_DISPLAY", "wayland-1"}, {"XDG_CURRENT_DESKTOP", "Hyprland"}}, Kind::wayland, false, Desktop::hyprland},
        // An X11 session that also runs a nested compositor stays X11.
        {{{"XDG_SESSION_TYPE", "x11"}, {"WAYLAND_DISPLAY", "wayland-9"}, {"DISPLAY", ":0"}, {"XDG_CURRENT_DESKTOP", "KDE"}},
         Kind::x11, true, Desktop::kde},
    };
    for (const Case &c : cases) {
        const DesktopSession session = DesktopSession::detect([&](const char *name) { return c.environment.value(name); });
        EXPECT_EQ(session.kind, c.kind) << session.description().toStdString();
        EXPECT_EQ(session.hasX11Display, c.hasX11Display) << session.description().toStdString();
        EXPECT_EQ(session.desktop, c.desktop) << session.description().toStdString();
    }
}
