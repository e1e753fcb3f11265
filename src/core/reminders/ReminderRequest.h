#pragma once

#include "reminders/ReminderCalendarTrigger.h"

#include <QString>
#include <QVariantMap>

// What a delivered reminder shows, and what a click on it leads to (`userInfo`).
struct ReminderContent {
    QString title;
    QString body;
    bool playsDefaultSound = true;
    QVariantMap userInfo;

    bool operator==(const ReminderContent &) const = default;
};

// One scheduled reminder; a later request with the same identifier replaces it.
struct ReminderRequest {
    QString identifier;
    ReminderContent content;
    ReminderCalendarTrigger trigger;

    bool operator==(const ReminderRequest &) const = default;
};
