#include "preferences/PreferenceChangeRoute.h"

#include "preferences/AppPreferences.h"

PreferenceChangeRoute::Route PreferenceChangeRoute::of(const QString &key)
{
    using Key = AppPreferences::Key;
    if (key == Key::selectionBadgeEnabled || key == Key::optionDHotkeyEnabled || key == Key::globalShortcut)
        return lookupTriggers;
    if (key == Key::dailyRecommendationEnabled || key == Key::dailyRecommendationFrequency
        || key == Key::dailyRecommendationHour || key == Key::dailyRecommendationMinute)
        return dailyRecommendation;
    if (key == Key::reminderEnabled)
        return reviewReminder;
    return readWhenUsed;
}
