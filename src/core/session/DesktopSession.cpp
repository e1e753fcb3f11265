#include "session/DesktopSession.h"

#include <QStringList>
#include <QtGlobal>

namespace {

DesktopSession::Desktop desktopNamed(const QString &currentDesktop, bool swaySocket)
{
    // XDG_CURRENT_DESKTOP is a colon-separated list, most specific first ("ubuntu:GNOME").
    for (const QString &name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString lower = name.trimmed().toLower();
        if (lower == QLatin1String("gnome") || lower == QLatin1String("gnome-classic") || lower == QLatin1String("unity"))
            return DesktopSession::Desktop::gnome;
        if (lower == QLatin1String("kde"))
            return DesktopSession::Desktop::kde;
        if (lower == QLatin1String("xfce"))
            return DesktopSession::Desktop::xfce;
        if (lower == QLatin1String("hyprland"))
            return DesktopSession::Desktop::hyprland;
        if (lower == QLatin1String("sway") || lower == QLatin1String("wlroots") || lower == QLatin1String("river")
            || lower == QLatin1String("wayfire") || lower == QLatin1String("labwc"))
            return DesktopSession::Desktop::wlroots;
    }
    return swaySocket ? DesktopSession::Desktop::wlroots : DesktopSession::Desktop::other;
}

} // namespace

DesktopSession DesktopSession::detect(const std::function<QString(const char *variable)> &environment)
{
    const QString type = environment("XDG_SESSION_TYPE").trimmed().toLower();
    const bool waylandDisplay = !environment("WAYLAND_DISPLAY").isEmpty();
    DesktopSession session;
    session.hasX11Display = !environment("DISPLAY").isEmpty();
    if (waylandDisplay && (type != QLatin1String("x11") || !session.hasX11Display))
        session.kind = Kind::wayland;
    else if (session.hasX11Display)
        session.kind = Kind::x11;
    if (session.kind != Kind::none)
        session.desktop = desktopNamed(environment("XDG_CURRENT_DESKTOP"), !environment("SWAYSOCK").isEmpty());
    return session;
}

DesktopSession DesktopSession::current()
{
    return detect([](const char *variable) { return qEnvironmentVariable(variable); });
}

QString DesktopSession::description() const
{
    static const char *const kinds[] = {"none", "x11", "wayland"};
    static const char *const desktops[] = {"other", "gnome", "kde", "xfce", "wlroots", "hyprland"};
    return QStringLiteral("%1 (%2)").arg(QLatin1String(kinds[static_cast<int>(kind)]),
                                         QLatin1String(desktops[static_cast<int>(desktop)]));
}
