#include "foundation/AppNotification.h"

QString rawValue(AppNotification value)
{
    switch (value) {
    case AppNotification::openLookupPanel:
        return QStringLiteral("openLookupPanel");
    case AppNotification::openCollection:
        return QStringLiteral("openCollection");
    case AppNotification::openReview:
        return QStringLiteral("openReview");
    case AppNotification::openDailyRecommendation:
        return QStringLiteral("openDailyRecommendation");
    case AppNotification::dailyRecommendationPreferencesChanged:
        return QStringLiteral("dailyRecommendationPreferencesChanged");
    case AppNotification::lookupTriggerPreferencesChanged:
        return QStringLiteral("lookupTriggerPreferencesChanged");
    case AppNotification::collectionDidChange:
        return QStringLiteral("collectionDidChange");
    case AppNotification::reloadCollection:
        return QStringLiteral("reloadCollection");
    }
    return {};
}

std::optional<AppNotification> appNotificationFromRawValue(const QString &raw)
{
    for (AppNotification value : kAllAppNotificationCases) {
        if (rawValue(value) == raw)
            return value;
    }
    return std::nullopt;
}
