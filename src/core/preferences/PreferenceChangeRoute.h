#pragma once

#include <QString>

// What a running application does when another process (`rarozezev config set`) changed a
// preference: the lookup triggers and the article reminder are reconfigured through their
// in-process notifications, the review reminder is rescheduled, and everything else is read
// afresh where it is used (each lookup, pronunciation and article takes a new snapshot).
class PreferenceChangeRoute {
public:
    enum Route { lookupTriggers, dailyRecommendation, reviewReminder, readWhenUsed };

    PreferenceChangeRoute() = delete;

    // `key` as stored in the user defaults ("dailyRecommendationHour.v1").
    static Route of(const QString &key);
};
