#include "platform/dbus/FreedesktopNotificationCenter.h"

#include "logging/AppLogger.h"
#include "preferences/PreferencesWriteError.h"
#include "reminders/ReminderDeliveryScheduler.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUuid>

#include <QCoroSignal>

#include <stdexcept>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");
constexpr int kCallTimeoutMilliseconds = 5000;

// The names a bus answers with when nobody owns the server's name and none can be started.
bool meansNoServer(const QString &errorName)
{
    return errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
           || errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

QDBusConnection connectionNamed(const QString &name)
{
    return name.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(name);
}

} // namespace

FreedesktopNotificationCenter::FreedesktopNotificationCenter(UserDefaults &defaults, Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_store(defaults)
{
    if (!m_options.busAddress.isEmpty()) {
        m_connectionName = QStringLiteral("rarozezev-notifications-") + QUuid::createUuid().toString(QUuid::Id128);
        QDBusConnection::connectToBus(m_options.busAddress, m_connectionName);
    }
    m_scheduler = std::make_unique<ReminderDeliveryScheduler>(
        m_store, m_options.clock, [this](const ReminderRequest &request) { deliver(request); });
}

FreedesktopNotificationCenter::~FreedesktopNotificationCenter()
{
    m_scheduler.reset();
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
}

QCoro::Task<bool> FreedesktopNotificationCenter::requestAuthorization(unsigned)
{
    // Notification servers ask nobody: one that answers shows what it is sent.
    const QDBusConnection bus = connectionNamed(m_connectionName);
    if (!bus.isConnected())
        throw std::runtime_error("no D-Bus session bus");
    const QDBusMessage call =
        QDBusMessage::createMethodCall(serviceName(), kPath, kInterface, QStringLiteral("GetServerInformation"));
    QDBusPendingCallWatcher watcher(bus.asyncCall(call, kCallTimeoutMilliseconds));
    if (!watcher.isFinished()) {
        // The bus ends the call itself after its time-out; the extra second only guards that.
        co_await qCoro(&watcher, &QDBusPendingCallWatcher::finished,
                       std::chrono::milliseconds(kCallTimeoutMilliseconds + 1000));
    }
    if (!watcher.isFinished())
        throw std::runtime_error("no answer from the notification server");
    const QDBusMessage reply = watcher.reply();
    if (reply.type() != QDBusMessage::ErrorMessage)
        co_return true;
    if (meansNoServer(reply.errorName()))
        co_return false;
    throw std::runtime_error((reply.errorName() + QStringLiteral(": ") + reply.errorMessage()).toStdString());
}

void FreedesktopNotificationCenter::removePendingNotificationRequests(const QStringList &identifiers)
{
    if (!m_store.remove(identifiers))
        AppLogger::error([] { return QStringLiteral("Failed to remove pending reminders: the user defaults refused the write."); });
    m_scheduler->reevaluate();
}

QCoro::Task<void> FreedesktopNotificationCenter::add(ReminderRequest request)
{
    if (!m_store.add(request, m_options.clock.now()))
        throw PreferencesWriteError(UserDefaultsReminderRequestStore::key());
    m_scheduler->reevaluate();
    co_return;
}

void FreedesktopNotificationCenter::startDelivering()
{
    if (!m_listening) {
        m_listening = true;
        QDBusConnection bus = connectionNamed(m_connectionName);
        bus.connect(serviceName(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(handleActionInvoked(uint, QString)));
        bus.connect(serviceName(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(handleNotificationClosed(uint, uint)));
        // Timers stand still while the machine sleeps; logind says when it is back.
        if (m_connectionName.isEmpty())
            QDBusConnection::systemBus().connect(QStringLiteral("org.freedesktop.login1"),
                                                 QStringLiteral("/org/freedesktop/login1"),
                                                 QStringLiteral("org.freedesktop.login1.Manager"),
                                                 QStringLiteral("PrepareForSleep"), this,
                                                 SLOT(handlePrepareForSleep(bool)));
    }
    m_scheduler->start();
}

QDateTime FreedesktopNotificationCenter::nextFiring() const { return m_scheduler->nextFiring(); }

void FreedesktopNotificationCenter::deliver(const ReminderRequest &request)
{
    QVariantMap hints;
    if (request.content.playsDefaultSound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName(), kPath, kInterface, QStringLiteral("Notify"));
    call.setArguments({m_options.applicationName, 0u, m_options.iconName, request.content.title,
                       request.content.body, QStringList{kDefaultAction, QStringLiteral("打开")}, hints, -1});
    auto *watcher =
        new QDBusPendingCallWatcher(connectionNamed(m_connectionName).asyncCall(call, kCallTimeoutMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier = request.identifier, userInfo = request.content.userInfo](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    AppLogger::error([&] {
                        return QStringLiteral("Failed to show reminder %1: %2: %3")
                            .arg(identifier, reply.error().name(), reply.error().message());
                    });
                    return;
                }
                m_shown.insert(reply.value(), userInfo);
            });
}

void FreedesktopNotificationCenter::handleActionInvoked(uint id, const QString &actionKey)
{
    // The signal goes to every client of the server; only our own notifications count.
    const auto shown = m_shown.constFind(id);
    if (shown == m_shown.cend() || actionKey != kDefaultAction)
        return;
    emit notificationOpened(*shown);
}

void FreedesktopNotificationCenter::handleNotificationClosed(uint id, uint) { m_shown.remove(id); }

void FreedesktopNotificationCenter::handlePrepareForSleep(bool sleeping)
{
    if (!sleeping)
        m_scheduler->reevaluate();
}
