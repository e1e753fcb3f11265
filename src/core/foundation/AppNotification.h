#pragma once

#include <QString>

#include <array>
#include <optional>

// The in-process notifications that connect the menu, the settings screen, the store and the
// application shell. They carry no object and no payload; the raw value is the name.
enum class AppNotification {
    openLookupPanel,
    openCollection,
    openReview,
    openDailyRecommendation,
    dailyRecommendationPreferencesChanged,
    lookupTriggerPreferencesChanged,
    collectionDidChange,
    reloadCollection,
};

inline constexpr std::array<AppNotification, 8> kAllAppNotificationCases{
    AppNotification::openLookupPanel,
    AppNotification::openCollection,
    AppNotification::openReview,
    AppNotification::openDailyRecommendation,
    AppNotification::dailyRecommendationPreferencesChanged,
    AppNotification::lookupTriggerPreferencesChanged,
    AppNotification::collectionDidChange,
    AppNotification::reloadCollection,
};

QString rawValue(AppNotification value);
// No value for any text other than the eight names (exact match).
std::optional<AppNotification> appNotificationFromRawValue(const QString &raw);
