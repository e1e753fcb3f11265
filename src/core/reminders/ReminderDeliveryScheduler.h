#pragma once

#include "reminders/ReminderClock.h"
#include "reminders/ReminderRequest.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>

class UserDefaultsReminderRequestStore;

// Shows the pending reminders at their minutes while the program runs. One timer waits for
// the earliest next firing. Timers run on the monotonic clock, which stands still while the
// machine sleeps and knows nothing of clock or zone changes, so the schedule is also looked
// at again once a minute and whenever the owner learns of a wake-up; each look shows what
// came due since the last (once, and only when recent: see ReminderTriggerSchedule) and
// waits for the next. Main thread only.
class ReminderDeliveryScheduler : public QObject {
    Q_OBJECT

public:
    using Deliver = std::function<void(const ReminderRequest &request)>;

    // The store must outlive the scheduler.
    ReminderDeliveryScheduler(UserDefaultsReminderRequestStore &store, ReminderClock clock, Deliver deliver,
                              QObject *parent = nullptr);

    // Shows what was missed since the program last looked, then keeps watch.
    void start();
    bool isStarted() const { return m_started; }
    // Shows what has come due and waits for the next firing. Call after the requests
    // changed or the machine woke up; nothing before start().
    void reevaluate();
    // When the timer is due next; invalid when nothing is pending.
    QDateTime nextFiring() const { return m_nextFiring; }

private:
    UserDefaultsReminderRequestStore &m_store;
    ReminderClock m_clock;
    Deliver m_deliver;
    QTimer m_timer;
    QTimer m_periodicCheck;
    QDateTime m_nextFiring;
    // Marks written here too: a store that refuses writes must not make a reminder repeat.
    QHash<QString, QDateTime> m_handledThrough;
    bool m_started = false;
};
