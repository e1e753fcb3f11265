#include "reminders/ReminderDeliveryScheduler.h"

#include "reminders/ReminderTriggerSchedule.h"
#include "reminders/UserDefaultsReminderRequestStore.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr std::chrono::minutes kPeriodicCheckInterval{1};

} // namespace

ReminderDeliveryScheduler::ReminderDeliveryScheduler(UserDefaultsReminderRequestStore &store, ReminderClock clock,
                                                     Deliver deliver, QObject *parent)
    : QObject(parent), m_store(store), m_clock(std::move(clock)), m_deliver(std::move(deliver))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReminderDeliveryScheduler::reevaluate);
    connect(&m_periodicCheck, &QTimer::timeout, this, &ReminderDeliveryScheduler::reevaluate);
}

void ReminderDeliveryScheduler::start()
{
    m_started = true;
    m_periodicCheck.start(kPeriodicCheckInterval);
    reevaluate();
}

void ReminderDeliveryScheduler::reevaluate()
{
    if (!m_started)
        return;
    const QDateTime now = m_clock.now();
    const QTimeZone zone = m_clock.zone();
    QDateTime next;
    for (const UserDefaultsReminderRequestStore::Entry &entry : m_store.entries()) {
        const QString &identifier = entry.request.identifier;
        QDateTime handledThrough = entry.handledThrough;
        // A request added anew is marked at the moment it was added, after anything remembered.
        if (const auto remembered = m_handledThrough.constFind(identifier);
            remembered != m_handledThrough.cend() && *remembered > handledThrough)
            handledThrough = *remembered;
        const ReminderTriggerSchedule::CatchUp catchUp =
            ReminderTriggerSchedule::catchUp(entry.request.trigger, handledThrough, now, zone);
        if (catchUp.handledThrough) {
            m_handledThrough.insert(identifier, *catchUp.handledThrough);
            m_store.setHandledThrough(identifier, *catchUp.handledThrough);
        }
        if (catchUp.deliver)
            m_deliver(entry.request);
        const QDateTime firing = ReminderTriggerSchedule::nextMatch(entry.request.trigger, now, zone);
        if (firing.isValid() && (!next.isValid() || firing < next))
            next = firing;
    }
    m_nextFiring = next;
    if (!next.isValid()) {
        m_timer.stop();
        return;
    }
    m_timer.start(std::chrono::milliseconds(std::max<qint64>(0, now.msecsTo(next))));
}
