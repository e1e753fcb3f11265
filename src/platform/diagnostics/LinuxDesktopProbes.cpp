#include "platform/diagnostics/LinuxDesktopProbes.h"

#include "platform/dbus/DBusSingleInstanceService.h"
#include "platform/wayland/WaylandDataControlSelection.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotkeyRegistrationBackend.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QProcessEnvironment>
#include <qcorosignal.h>

#include <cstdlib>
#include <memory>

#include <xcb/record.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <wayland-client.h>

namespace {

using Result = DesktopCheck::ProbeResult;

// Owned now, or started by the bus on the first call.
bool busNameAvailable(const QString &name)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface *interface = bus.isConnected() ? bus.interface() : nullptr;
    if (!interface)
        return false;
    return interface->isServiceRegistered(name).value() || interface->activatableServiceNames().value().contains(name);
}

Result busService(const QString &name)
{
    if (!QDBusConnection::sessionBus().isConnected())
        return {false, QStringLiteral("没有 D-Bus 会话总线")};
    return busNameAvailable(name) ? Result{true, name} : Result{false, name + QStringLiteral(" 无人提供")};
}

// XWayland inside a Wayland session, for the lines that name it as a fallback.
QString xwaylandDescription(const X11Connection &x11)
{
    return x11.isValid() ? QStringLiteral("有 XWayland（DISPLAY=%1）").arg(qEnvironmentVariable("DISPLAY"))
                         : QStringLiteral("没有 XWayland");
}

constexpr int kPortalTimeoutMilliseconds = 5000;

} // namespace

Result LinuxDesktopProbes::displaySession()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString session = environment.value(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("未知"));
    const X11Connection x11;
    if (!x11.isValid())
        return {false, QStringLiteral("无法连接 X 服务器（DISPLAY=%1，会话类型 %2）")
                           .arg(environment.value(QStringLiteral("DISPLAY")), session)};
    return {true, QStringLiteral("X11（DISPLAY=%1，会话类型 %2）").arg(environment.value(QStringLiteral("DISPLAY")), session)};
}

Result LinuxDesktopProbes::trayHost()
{
    if (busNameAvailable(QStringLiteral("org.kde.StatusNotifierWatcher")))
        return {true, QStringLiteral("StatusNotifier 托盘")};
    const X11Connection x11;
    if (x11.isValid() && x11.selectionOwner("_NET_SYSTEM_TRAY_S0") != 0)
        return {true, QStringLiteral("XEmbed 托盘")};
    return {false, QStringLiteral("未找到托盘宿主")};
}

Result LinuxDesktopProbes::notificationServer() { return busService(QStringLiteral("org.freedesktop.Notifications")); }

Result LinuxDesktopProbes::secretService() { return busService(QStringLiteral("org.freedesktop.secrets")); }

Result LinuxDesktopProbes::soundServer(bool hasAudioOutput)
{
    return hasAudioOutput ? Result{true, QStringLiteral("有可用的输出设备")}
                                                     : Result{false, QStringLiteral("没有可用的输出设备")};
}

Result LinuxDesktopProbes::hotkeyGrab(const GlobalShortcut &shortcut, bool heldHere)
{
    const QString name = shortcut.toString();
    if (heldHere)
        return {true, name + QStringLiteral(" 已由 Rarozezev 注册")};
    const X11Connection x11;
    if (!x11.isValid())
        return {false, name + QStringLiteral("：没有 X 服务器")};
    xcb_connection_t *connection = x11.get();
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t *codes = symbols ? xcb_key_symbols_get_keycode(symbols, X11HotkeyRegistrationBackend::keysym(shortcut)) : nullptr;
    const xcb_keycode_t keycode = codes ? codes[0] : XCB_NO_SYMBOL;
    std::free(codes);
    if (symbols)
        xcb_key_symbols_free(symbols);
    if (keycode == XCB_NO_SYMBOL)
        return {false, name + QStringLiteral("：键盘布局中没有这个键")};
    const auto cookie = xcb_grab_key_checked(connection, 0, x11.rootWindow(), X11HotkeyRegistrationBackend::modifierMask(shortcut), keycode,
                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
        std::free(error);
        if (DBusSingleInstanceService::isInstanceRunning())
            return {true, name + QStringLiteral(" 已由正在运行的 Rarozezev 注册")};
        return {false, name + QStringLiteral(" 已被其他程序占用")};
    }
    xcb_ungrab_key(connection, keycode, x11.rootWindow(), X11HotkeyRegistrationBackend::modifierMask(shortcut));
    xcb_flush(connection);
    return {true, name + QStringLiteral(" 可以注册")};
}

Result LinuxDesktopProbes::primarySelection()
{
    const X11Connection x11;
    if (!x11.isValid())
        return {false, QStringLiteral("没有 X 服务器")};
    return {true, x11.selectionOwner("PRIMARY") != 0 ? QStringLiteral("当前有选中文本")
                                                      : QStringLiteral("可以读取（当前没有选中文本）")};
}

Result LinuxDesktopProbes::xtest()
{
    const X11Connection x11;
    if (!x11.isValid())
        return {false, QStringLiteral("没有 X 服务器")};
    return x11.hasXTest() ? Result{true, QString()} : Result{false, QStringLiteral("X 服务器没有该扩展")};
}

Result LinuxDesktopProbes::record()
{
    const X11Connection x11;
    if (!x11.isValid())
        return {false, QStringLiteral("没有 X 服务器")};
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(x11.get(), &xcb_record_id);
    return extension && extension->present ? Result{true, QString()} : Result{false, QStringLiteral("X 服务器没有该扩展")};
}

Result LinuxDesktopProbes::waylandSession(const DesktopSession &session)
{
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP", session.description());
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return {false, QStringLiteral("无法连接 Wayland 混成器（WAYLAND_DISPLAY=%1）").arg(qEnvironmentVariable("WAYLAND_DISPLAY")),
                false, QStringLiteral("请在图形会话中运行，并确认 WAYLAND_DISPLAY 指向正在运行的混成器。")};
    wl_display_disconnect(display);
    return {true, QStringLiteral("Wayland（桌面 %1，WAYLAND_DISPLAY=%2），%3")
                      .arg(desktop, qEnvironmentVariable("WAYLAND_DISPLAY"), xwaylandDescription(X11Connection()))};
}

Result LinuxDesktopProbes::dataControlSelection()
{
    const X11Connection x11;
    if (WaylandDataControlSelection().isAvailable())
        return {true, QStringLiteral("混成器提供 data-control，可读取任何程序的选区；") + xwaylandDescription(x11)};
    if (x11.isValid())
        return {false, QStringLiteral("混成器不提供 data-control；%1，可读取 X11 程序的选区").arg(xwaylandDescription(x11)), true};
    return {false, QStringLiteral("混成器不提供 data-control，也没有 XWayland")};
}

QCoro::Task<std::optional<uint>> LinuxDesktopProbes::portalInterfaceVersion(QString interface)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        co_return std::nullopt;
    QDBusMessage call = QDBusMessage::createMethodCall(
        PortalGlobalShortcutsBackend::defaultServiceName(), QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << interface << QStringLiteral("version");
    // The portal may first have to start; a portal without the interface answers with an error.
    QDBusPendingCallWatcher watcher(bus.asyncCall(call, kPortalTimeoutMilliseconds));
    co_await qCoro(&watcher, &QDBusPendingCallWatcher::finished);
    const QDBusMessage reply = watcher.reply();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        co_return std::nullopt;
    co_return reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt();
}

QCoro::Task<Result> LinuxDesktopProbes::portalShortcut(DesktopSession::Desktop desktop, std::optional<PortalBinding> heldHere)
{
    using State = PortalGlobalShortcutsBackend::State;
    const QString remedy = DesktopCheck::bindTriggerRemedy(desktop);
    if (heldHere && heldHere->state == State::bound)
        co_return Result{true, heldHere->assignedTrigger.isEmpty()
                                   ? QStringLiteral("桌面已绑定“查词”")
                                   : QStringLiteral("桌面分配的按键：%1").arg(heldHere->assignedTrigger)};
    if (heldHere && heldHere->state == State::refused)
        co_return Result{false, QStringLiteral("桌面没有绑定“查词”快捷键"), true, remedy};
    const std::optional<uint> version = co_await portalInterfaceVersion(QStringLiteral("org.freedesktop.portal.GlobalShortcuts"));
    if (!version)
        co_return Result{false, QStringLiteral("桌面门户不提供 GlobalShortcuts"), true, remedy};
    QString detail = QStringLiteral("桌面门户提供 GlobalShortcuts（版本 %1）").arg(*version);
    if (heldHere)
        detail += QStringLiteral("，正在等待桌面分配按键");
    else if (DBusSingleInstanceService::isInstanceRunning())
        detail += QStringLiteral("，桌面分配的按键见设置的“权限”部分");
    co_return Result{true, detail};
}

QCoro::Task<Result> LinuxDesktopProbes::portalKeyboard()
{
    const std::optional<uint> version = co_await portalInterfaceVersion(QStringLiteral("org.freedesktop.portal.RemoteDesktop"));
    co_return version ? Result{true, QStringLiteral("桌面门户提供 RemoteDesktop（版本 %1），首次使用时由桌面询问是否允许").arg(*version)}
                      : Result{false, QStringLiteral("桌面门户不提供 RemoteDesktop")};
}

Result LinuxDesktopProbes::waylandMouseWatch()
{
    return {false, QStringLiteral("Wayland 不允许程序监听其他窗口上的鼠标")};
}
