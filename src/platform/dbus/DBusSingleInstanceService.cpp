#include "platform/dbus/DBusSingleInstanceService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QObject>

#include <QCoroSignal>

// The object the running instance exports; only its scriptable slot is visible on the bus.
class SingleInstanceDBusObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.rarozezev.Rarozezev")

public:
    SingleInstanceDBusObject(DBusSingleInstanceService::OpenHandler handler,
                             DBusSingleInstanceService::StatusHandler statusHandler)
        : m_handler(std::move(handler)), m_statusHandler(std::move(statusHandler))
    {
    }

public slots:
    Q_SCRIPTABLE void Open(const QString &what)
    {
        if (const std::optional<QString> failure = m_handler(what))
            sendErrorReply(DBusSingleInstanceService::rejectedErrorName(), *failure);
    }

    // What the hotkey does, for shortcuts the desktop binds to `rarozezev trigger`.
    Q_SCRIPTABLE void LookUpSelection()
    {
        const std::optional<QString> failure = m_selectionLookupHandler
                                                   ? m_selectionLookupHandler()
                                                   : std::optional<QString>(QStringLiteral("Rarozezev 正在启动，请稍后再试。"));
        if (failure)
            sendErrorReply(DBusSingleInstanceService::rejectedErrorName(), *failure);
    }

    Q_SCRIPTABLE QString LookupPanelStatus() { return m_statusHandler ? m_statusHandler() : QStringLiteral("{}"); }

    Q_SCRIPTABLE QString PreferenceChanged(const QString &key)
    {
        return m_preferenceHandler ? m_preferenceHandler(key).value_or(QString()) : QString();
    }

public:
    DBusSingleInstanceService::SelectionLookupHandler m_selectionLookupHandler;
    DBusSingleInstanceService::PreferenceHandler m_preferenceHandler;

private:
    DBusSingleInstanceService::OpenHandler m_handler;
    DBusSingleInstanceService::StatusHandler m_statusHandler;
};

namespace {

QDBusConnection connectionNamed(const QString &name)
{
    return name.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
}

} // namespace

DBusSingleInstanceService::DBusSingleInstanceService(OpenHandler handler, StatusHandler statusHandler,
                                                     QString serviceName, QString connectionName)
    : m_serviceName(std::move(serviceName)),
      m_connectionName(std::move(connectionName)),
      m_object(std::make_unique<SingleInstanceDBusObject>(std::move(handler), std::move(statusHandler)))
{
}

DBusSingleInstanceService::~DBusSingleInstanceService()
{
    release();
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
}

void DBusSingleInstanceService::setPreferenceHandler(PreferenceHandler handler)
{
    m_object->m_preferenceHandler = std::move(handler);
}

DBusSingleInstanceService::ClaimResult DBusSingleInstanceService::claim()
{
    if (m_claimed)
        return ClaimResult::claimed;
    QDBusConnection bus = connectionNamed(m_connectionName);
    if (!bus.isConnected() || !bus.interface())
        return ClaimResult::busUnavailable;
    // The object goes up before the name, so a requester that sees the name can call it.
    if (!m_objectRegistered) {
        m_objectRegistered = bus.registerObject(objectPath(), m_object.get(), QDBusConnection::ExportScriptableSlots);
        if (!m_objectRegistered)
            return ClaimResult::busUnavailable;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        m_serviceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_claimed = true;
        return ClaimResult::claimed;
    }
    bus.unregisterObject(objectPath());
    m_objectRegistered = false;
    return reply.isValid() ? ClaimResult::alreadyRunning : ClaimResult::busUnavailable;
}

void DBusSingleInstanceService::setSelectionLookupHandler(SelectionLookupHandler handler)
{
    m_object->m_selectionLookupHandler = std::move(handler);
}

void DBusSingleInstanceService::release()
{
    QDBusConnection bus = connectionNamed(m_connectionName);
    if (m_claimed && bus.isConnected() && bus.interface())
        bus.interface()->unregisterService(m_serviceName);
    if (m_objectRegistered && bus.isConnected())
        bus.unregisterObject(objectPath());
    m_claimed = false;
    m_objectRegistered = false;
}

bool DBusSingleInstanceService::isSessionBusAvailable()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface();
}

bool DBusSingleInstanceService::isInstanceRunning(const QString &serviceName)
{
    if (!isSessionBusAvailable())
        return false;
    const QDBusReply<bool> reply = QDBusConnection::sessionBus().interface()->isServiceRegistered(serviceName);
    return reply.isValid() && reply.value();
}

std::optional<qint64> DBusSingleInstanceService::instanceProcessId(const QString &serviceName)
{
    if (!isSessionBusAvailable())
        return std::nullopt;
    const QDBusReply<uint> reply = QDBusConnection::sessionBus().interface()->servicePid(serviceName);
    if (!reply.isValid())
        return std::nullopt;
    return static_cast<qint64>(reply.value());
}

QCoro::Task<bool> DBusSingleInstanceService::waitForInstance(std::chrono::milliseconds timeout, QString serviceName)
{
    if (!isSessionBusAvailable())
        co_return false;
    QDBusServiceWatcher watcher(serviceName, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForRegistration);
    // Asked only once the watcher listens, so a registration in between is not missed.
    if (isInstanceRunning(serviceName))
        co_return true;
    const auto registered = co_await qCoro(&watcher, &QDBusServiceWatcher::serviceRegistered, timeout);
    co_return registered.has_value();
}

namespace {

// Calls `method` on the running instance and returns its reply. Throws RequestError.
QCoro::Task<QDBusMessage> callInstance(QString serviceName, QString method, QVariantList arguments,
                                       std::chrono::milliseconds timeout)
{
    using RequestError = DBusSingleInstanceService::RequestError;
    if (!DBusSingleInstanceService::isSessionBusAvailable())
        throw RequestError(RequestError::Kind::busUnavailable, QStringLiteral("no D-Bus session bus"));
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, DBusSingleInstanceService::objectPath(),
                                                      DBusSingleInstanceService::interfaceName(), method);
    call.setArguments(arguments);
    QDBusPendingCallWatcher watcher(QDBusConnection::sessionBus().asyncCall(call, static_cast<int>(timeout.count())));
    if (!watcher.isFinished()) {
        // The bus ends the call itself after `timeout`; the extra second only guards that promise.
        co_await qCoro(&watcher, &QDBusPendingCallWatcher::finished, timeout + std::chrono::seconds(1));
    }
    if (!watcher.isFinished())
        throw RequestError(RequestError::Kind::noReply, QStringLiteral("no reply from %1").arg(serviceName));
    const QDBusMessage reply = watcher.reply();
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (reply.errorName() == DBusSingleInstanceService::rejectedErrorName())
            throw RequestError(RequestError::Kind::rejected, reply.errorMessage());
        throw RequestError(RequestError::Kind::noReply, reply.errorName() + QStringLiteral(": ") + reply.errorMessage());
    }
    co_return reply;
}

} // namespace

QCoro::Task<void> DBusSingleInstanceService::requestOpen(QString what, std::chrono::milliseconds timeout,
                                                         QString serviceName)
{
    QVariantList arguments;
    arguments.append(QVariant(what));
    co_await callInstance(std::move(serviceName), QStringLiteral("Open"), std::move(arguments), timeout);
}

QCoro::Task<void> DBusSingleInstanceService::requestSelectionLookup(std::chrono::milliseconds timeout, QString serviceName)
{
    co_await callInstance(std::move(serviceName), QStringLiteral("LookUpSelection"), QVariantList(), timeout);
}

QCoro::Task<QString> DBusSingleInstanceService::requestLookupPanelStatus(std::chrono::milliseconds timeout,
                                                                        QString serviceName)
{
    const QDBusMessage reply =
        co_await callInstance(std::move(serviceName), QStringLiteral("LookupPanelStatus"), QVariantList(), timeout);
    co_return reply.arguments().value(0).toString();
}

QCoro::Task<std::optional<QString>> DBusSingleInstanceService::requestPreferenceChanged(QString key,
                                                                                       std::chrono::milliseconds timeout,
                                                                                       QString serviceName)
{
    QVariantList arguments;
    arguments.append(QVariant(key));
    const QDBusMessage reply =
        co_await callInstance(std::move(serviceName), QStringLiteral("PreferenceChanged"), std::move(arguments), timeout);
    const QString failure = reply.arguments().value(0).toString();
    co_return failure.isEmpty() ? std::nullopt : std::optional<QString>(failure);
}

#include "DBusSingleInstanceService.moc"
