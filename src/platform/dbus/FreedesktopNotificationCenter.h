#pragma once

#include "reminders/ReminderClock.h"
#include "reminders/ReminderNotificationCenter.h"
#include "reminders/UserDefaultsReminderRequestStore.h"

#include <QHash>
#include <QObject>
#include <QVariantMap>

#include <memory>

class ReminderDeliveryScheduler;
class UserDefaults;

// The reminders as desktop notifications (org.freedesktop.Notifications on the session bus).
// Notifications count as allowed when a notification server answers there. The pending
// requests are kept in the user defaults, so any process may schedule them and they outlive
// a restart; only the process that calls startDelivering() shows them, at their minutes
// (ReminderDeliveryScheduler), looking again at once when logind reports a wake-up. A click
// on one (its default action) comes back as notificationOpened with the request's user info.
// Main thread only.
class FreedesktopNotificationCenter : public QObject, public ReminderNotificationCenter {
    Q_OBJECT

public:
    struct Options {
        // Shown by the server as the sender, and the icon of each notification.
        QString applicationName;
        QString iconName;
        // Empty: the session bus, and logind on the system bus; else a private bus at this
        // address (tests), without logind.
        QString busAddress;
        ReminderClock clock = ReminderClock::system();
    };

    // The user defaults must outlive the centre.
    FreedesktopNotificationCenter(UserDefaults &defaults, Options options, QObject *parent = nullptr);
    ~FreedesktopNotificationCenter() override;

    static QString serviceName() { return QStringLiteral("org.freedesktop.Notifications"); }

    // True when a notification server answers; false when none is on the bus. Throws
    // std::runtime_error when there is no bus or the server's answer is an error.
    QCoro::Task<bool> requestAuthorization(unsigned options) override;
    void removePendingNotificationRequests(const QStringList &identifiers) override;
    // Throws PreferencesWriteError when the request cannot be stored.
    QCoro::Task<void> add(ReminderRequest request) override;

    // Shows what was missed since the last run, then each reminder at its minute, for as
    // long as the centre lives. The tray application's; a command only schedules.
    void startDelivering();
    // When the next reminder is due; invalid before startDelivering() or with none pending.
    QDateTime nextFiring() const;

signals:
    void notificationOpened(const QVariantMap &userInfo);

private slots:
    void handleActionInvoked(uint id, const QString &actionKey);
    void handleNotificationClosed(uint id, uint reason);
    void handlePrepareForSleep(bool sleeping);

private:
    void deliver(const ReminderRequest &request);

    Options m_options;
    QString m_connectionName;
    UserDefaultsReminderRequestStore m_store;
    std::unique_ptr<ReminderDeliveryScheduler> m_scheduler;
    // The user info of each notification shown and not yet closed, by the server's id.
    QHash<uint, QVariantMap> m_shown;
    bool m_listening = false;
};
