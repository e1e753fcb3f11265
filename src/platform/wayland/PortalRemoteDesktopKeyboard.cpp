#include "platform/wayland/PortalRemoteDesktopKeyboard.h"

#include "logging/AppLogger.h"

#include <QCoroSignal>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

namespace {

const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kCreateSession = QStringLiteral("CreateSession");
const QString kSelectDevices = QStringLiteral("SelectDevices");
const QString kStart = QStringLiteral("Start");
// The device types of SelectDevices and Start: the keyboard alone.
constexpr uint kKeyboard = 1;
// XK_Control_L and XK_c.
constexpr int kControlKeysym = 0xffe3;
constexpr int kCKeysym = 0x63;
constexpr std::chrono::seconds kStepTimeout{5};
// The learner reads the desktop's question before answering.
constexpr std::chrono::seconds kGrantTimeout{60};

QString sessionHandle(const QVariantMap &results)
{
    // A string in the interface's description; some portals send an object path.
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    return handle.userType() == qMetaTypeId<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString();
}

QVariantMap keyboardOnly() { return {{QStringLiteral("types"), kKeyboard}}; }

bool grantsKeyboard(const QVariantMap &results) { return results.value(QStringLiteral("devices")).toUInt() & kKeyboard; }

} // namespace

PortalRemoteDesktopKeyboard::PortalRemoteDesktopKeyboard(QDBusConnection bus, QString serviceName)
    : m_bus(std::move(bus)), m_serviceName(std::move(serviceName))
{
}

PortalRemoteDesktopKeyboard::~PortalRemoteDesktopKeyboard() { closeSession(); }

QCoro::Task<bool> PortalRemoteDesktopKeyboard::pressCopy()
{
    const QPointer<PortalRemoteDesktopKeyboard> self(this);
    if (m_state == State::asking)
        co_await qCoro(this, &PortalRemoteDesktopKeyboard::settled, kGrantTimeout + kStepTimeout);
    else if (m_state == State::unasked)
        co_await start();
    if (!self || m_state != State::granted)
        co_return false;
    pressKey(kControlKeysym, true);
    pressKey(kCKeysym, true);
    pressKey(kCKeysym, false);
    pressKey(kControlKeysym, false);
    co_return true;
}

QCoro::Task<bool> PortalRemoteDesktopKeyboard::start()
{
    const QPointer<PortalRemoteDesktopKeyboard> self(this);
    m_state = State::asking;
    QString failedStep;
    const QVariantMap sessionOptions = this->sessionOptions();
    const QVariantMap deviceOptions = keyboardOnly();
    std::optional<QVariantMap> results =
        co_await request(kCreateSession, QVariantList(), sessionOptions, kStepTimeout);
    if (!self)
        co_return false;
    if (results) {
        m_sessionHandle = sessionHandle(*results);
        QVariantList arguments;
        arguments.append(QVariant::fromValue(QDBusObjectPath(m_sessionHandle)));
        results = co_await request(kSelectDevices, arguments, deviceOptions, kStepTimeout);
        if (!self)
            co_return false;
        if (results) {
            // No parent window: the tray application has none on Wayland to name.
            arguments.append(QString());
            results = co_await request(kStart, arguments, QVariantMap(), kGrantTimeout);
            if (!self)
                co_return false;
            if (!results || !grantsKeyboard(*results))
                failedStep = kStart;
        } else {
            failedStep = kSelectDevices;
        }
    } else {
        failedStep = kCreateSession;
    }
    m_state = failedStep.isEmpty() ? State::granted : State::refused;
    if (m_state == State::refused)
        refuse(failedStep);
    emit settled();
    co_return m_state == State::granted;
}

QCoro::Task<std::optional<QVariantMap>> PortalRemoteDesktopKeyboard::request(const QString &method,
                                                                            QVariantList arguments, QVariantMap options,
                                                                            std::chrono::milliseconds timeout)
{
    // The portal answers on a request object whose path follows from our bus name and the
    // token; listening before the call leaves no gap for a quick answer.
    const QString token = QStringLiteral("rarozezev%1").arg(++m_requestCounter);
    const QString sender = m_bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    m_pendingRequestPath = QStringLiteral("%1/request/%2/%3").arg(kPortalPath, sender, token);
    m_bus.connect(m_serviceName, m_pendingRequestPath, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap)));
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QDBusMessage call = QDBusMessage::createMethodCall(m_serviceName, kPortalPath, kInterface, method);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (watcher->isError())
            emit responded(2, {});
    });
    const QPointer<PortalRemoteDesktopKeyboard> self(this);
    const auto answer = co_await qCoro(this, &PortalRemoteDesktopKeyboard::responded, timeout);
    if (!self)
        co_return std::nullopt;
    m_bus.disconnect(m_serviceName, m_pendingRequestPath, kRequestInterface, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)));
    if (!answer || std::get<0>(*answer) != 0)
        co_return std::nullopt;
    co_return std::get<1>(*answer);
}

void PortalRemoteDesktopKeyboard::onResponse(uint response, const QVariantMap &results)
{
    // Resumed from the event loop, outside the bus's dispatch of this signal.
    QMetaObject::invokeMethod(
        this, [this, response, results] { emit responded(response, results); }, Qt::QueuedConnection);
}

QVariantMap PortalRemoteDesktopKeyboard::sessionOptions()
{
    return {{QStringLiteral("session_handle_token"), QStringLiteral("rarozezev%1").arg(++m_requestCounter)}};
}

void PortalRemoteDesktopKeyboard::refuse(const QString &step)
{
    AppLogger::error([&] {
        return QStringLiteral("No keyboard through the desktop portal (%1 failed or was refused): no copy keystroke "
                              "on this desktop.")
            .arg(step);
    });
    closeSession();
}

void PortalRemoteDesktopKeyboard::pressKey(int keysym, bool pressed)
{
    QDBusMessage call = QDBusMessage::createMethodCall(m_serviceName, kPortalPath, kInterface,
                                                       QStringLiteral("NotifyKeyboardKeysym"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(m_sessionHandle)), QVariantMap(), keysym, uint(pressed ? 1 : 0)});
    // Sent in order on the one connection; nothing waits for the answers.
    m_bus.send(call);
}

void PortalRemoteDesktopKeyboard::closeSession()
{
    if (m_sessionHandle.isEmpty())
        return;
    m_bus.send(QDBusMessage::createMethodCall(m_serviceName, m_sessionHandle, QStringLiteral("org.freedesktop.portal.Session"),
                                              QStringLiteral("Close")));
    m_sessionHandle.clear();
}
