#pragma once

#include <QDateTime>
#include <QTimeZone>

#include <functional>

// The present moment and the time zone the desktop is in, read afresh at every call, so
// that a changed clock or zone is seen. Tests give their own.
struct ReminderClock {
    std::function<QDateTime()> now;
    std::function<QTimeZone()> zone;

    static ReminderClock system()
    {
        return {[] { return QDateTime::currentDateTimeUtc(); }, [] { return QTimeZone::systemTimeZone(); }};
    }
};
