#include "platform/diagnostics/LinuxDesktopProbes.h"

#include "platform/audio/AudioOutputAvailability.h"
#include "platform/dbus/DBusSingleInstanceService.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotkeyRegistrationBackend.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcessEnvironment>

#include <cstdlib>
#include <memory>

#include <xcb/record.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

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

Result LinuxDesktopProbes::soundServer()
{
    return AudioOutputAvailability::hasAudioOutput() ? Result{true, QStringLiteral("有可用的输出设备")}
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
