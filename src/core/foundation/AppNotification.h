#pragma once

// The in-process notifications that connect the menu, the settings screen, the store and the
// application shell. They carry no object and no payload.
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
