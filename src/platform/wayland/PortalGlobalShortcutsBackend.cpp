#include "platform/wayland/PortalGlobalShortcutsBackend.h"

#include "hotkey/HotkeyRegistrationError.h"
#include "logging/AppLogger.h"
#include "platform/wayland/PortalShortcut.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>

namespace {

const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

class PortalHandlerToken : public HotkeyHandlerToken {};
class PortalRegisteredToken : public RegisteredHotkeyToken {};

} // namespace

PortalGlobalShortcutsBackend::PortalGlobalShortcutsBackend(QDBusConnection bus, QString serviceName)
    : m_bus(std::move(bus)), m_serviceName(std::move(serviceName))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

PortalGlobalShortcutsBackend::~PortalGlobalShortcutsBackend() { closeSession(); }

std::unique_ptr<HotkeyHandlerToken> PortalGlobalShortcutsBackend::installHandler(std::function<void()> onTrigger)
{
    if (!m_bus.connect(m_serviceName, kPortalPath, kInterface, QStringLiteral("Activated"), this,
                       SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap))))
        throw HotkeyRegistrationError::eventHandlerInstallationFailed();
    m_onTrigger = std::move(onTrigger);
    return std::make_unique<PortalHandlerToken>();
}

void PortalGlobalShortcutsBackend::removeHandler(std::unique_ptr<HotkeyHandlerToken> token)
{
    if (!dynamic_cast<PortalHandlerToken *>(token.get()))
        return;
    m_bus.disconnect(m_serviceName, kPortalPath, kInterface, QStringLiteral("Activated"), this,
                     SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    m_onTrigger = nullptr;
}

std::unique_ptr<RegisteredHotkeyToken> PortalGlobalShortcutsBackend::registerDefaultHotkey()
{
    m_state = State::binding;
    QVariantMap options;
    options.insert(QStringLiteral("session_handle_token"), QStringLiteral("rarozezev%1").arg(++m_requestCounter));
    request(QStringLiteral("CreateSession"), {}, options, SLOT(onSessionCreated(uint, QVariantMap)));
    return std::make_unique<PortalRegisteredToken>();
}

void PortalGlobalShortcutsBackend::unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken> token)
{
    if (dynamic_cast<PortalRegisteredToken *>(token.get()))
        closeSession();
}

void PortalGlobalShortcutsBackend::request(const QString &method, QVariantList arguments, QVariantMap options,
                                           const char *responseSlot)
{
    // The portal answers on a request object whose path follows from our bus name and the
    // token; listening before the call leaves no gap for a quick answer.
    const QString token = QStringLiteral("rarozezev%1").arg(++m_requestCounter);
    const QString sender = m_bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    m_pendingRequestPath = QStringLiteral("%1/request/%2/%3").arg(kPortalPath, sender, token);
    m_bus.connect(m_serviceName, m_pendingRequestPath, kRequestInterface, QStringLiteral("Response"), this, responseSlot);
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QDBusMessage call = QDBusMessage::createMethodCall(m_serviceName, kPortalPath, kInterface, method);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, method] {
        watcher->deleteLater();
        if (watcher->isError())
            refuse(method + QStringLiteral(" failed: ") + watcher->error().message(), 2);
    });
}

void PortalGlobalShortcutsBackend::onSessionCreated(uint response, const QVariantMap &results)
{
    if (!accepted(QStringLiteral("CreateSession"), SLOT(onSessionCreated(uint, QVariantMap)), response))
        return;
    // A string in the interface's description; some portals send an object path.
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    m_sessionHandle = handle.userType() == qMetaTypeId<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                                          : handle.toString();
    QVariantMap properties;
    properties.insert(QStringLiteral("description"), QStringLiteral("查词"));
    properties.insert(QStringLiteral("preferred_trigger"), QStringLiteral("ALT+d"));
    const QList<PortalShortcut> shortcuts{{shortcutId(), properties}};
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_sessionHandle)), QVariant::fromValue(shortcuts), QString()}, {},
            SLOT(onShortcutsBound(uint, QVariantMap)));
}

void PortalGlobalShortcutsBackend::onShortcutsBound(uint response, const QVariantMap &results)
{
    if (!accepted(QStringLiteral("BindShortcuts"), SLOT(onShortcutsBound(uint, QVariantMap)), response))
        return;
    QList<PortalShortcut> shortcuts;
    results.value(QStringLiteral("shortcuts")).value<QDBusArgument>() >> shortcuts;
    for (const PortalShortcut &shortcut : shortcuts) {
        if (shortcut.id == shortcutId())
            m_assignedTrigger = shortcut.properties.value(QStringLiteral("trigger_description")).toString();
    }
    m_state = State::bound;
    AppLogger::error([&] {
        return QStringLiteral("Global shortcut bound through the desktop portal: %1")
            .arg(m_assignedTrigger.isEmpty() ? QStringLiteral("(no key assigned yet)") : m_assignedTrigger);
    });
}

bool PortalGlobalShortcutsBackend::accepted(const QString &step, const char *responseSlot, uint response)
{
    m_bus.disconnect(m_serviceName, m_pendingRequestPath, kRequestInterface, QStringLiteral("Response"), this,
                     responseSlot);
    if (m_state != State::binding)
        return false;
    if (response != 0)
        refuse(step, response);
    return response == 0;
}

void PortalGlobalShortcutsBackend::refuse(const QString &step, uint response)
{
    if (m_state != State::binding)
        return;
    m_state = State::refused;
    AppLogger::error([&] {
        return QStringLiteral("The desktop portal refused the global shortcut (%1, response %2); "
                              "bind `rarozezev trigger` to a desktop shortcut instead.")
            .arg(step)
            .arg(response);
    });
    closeSession();
}

void PortalGlobalShortcutsBackend::onActivated(const QDBusObjectPath &session, const QString &shortcut, qulonglong,
                                               const QVariantMap &)
{
    if (m_state == State::bound && session.path() == m_sessionHandle && shortcut == shortcutId() && m_onTrigger)
        m_onTrigger();
}

void PortalGlobalShortcutsBackend::closeSession()
{
    if (!m_sessionHandle.isEmpty()) {
        m_bus.asyncCall(QDBusMessage::createMethodCall(m_serviceName, m_sessionHandle, QStringLiteral("org.freedesktop.portal.Session"),
                                                       QStringLiteral("Close")));
        m_sessionHandle.clear();
    }
    if (m_state != State::refused)
        m_state = State::unbound;
    m_assignedTrigger.clear();
}
