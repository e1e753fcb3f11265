#include "reminders/RecommendationFrequency.h"

QString rawValue(RecommendationFrequency frequency)
{
    switch (frequency) {
    case RecommendationFrequency::daily:
        return QStringLiteral("daily");
    case RecommendationFrequency::weekdays:
        return QStringLiteral("weekdays");
    case RecommendationFrequency::weekly:
        return QStringLiteral("weekly");
    }
    return QStringLiteral("daily");
}

std::optional<RecommendationFrequency> recommendationFrequencyFromRawValue(const QString &raw)
{
    for (RecommendationFrequency frequency : kAllRecommendationFrequencies) {
        if (rawValue(frequency) == raw)
            return frequency;
    }
    return std::nullopt;
}

RecommendationFrequency recommendationFrequencyFromPreference(const QString &raw)
{
    return recommendationFrequencyFromRawValue(raw).value_or(RecommendationFrequency::daily);
}

QString title(RecommendationFrequency frequency)
{
    switch (frequency) {
    case RecommendationFrequency::daily:
        return QStringLiteral("每天");
    case RecommendationFrequency::weekdays:
        return QStringLiteral("工作日");
    case RecommendationFrequency::weekly:
        return QStringLiteral("每周一");
    }
    return QStringLiteral("每天");
}

std::vector<std::optional<int>> scheduledWeekdays(RecommendationFrequency frequency)
{
    switch (frequency) {
    case RecommendationFrequency::daily:
        return {std::nullopt};
    case RecommendationFrequency::weekdays:
        return {2, 3, 4, 5, 6};
    case RecommendationFrequency::weekly:
        return {2};
    }
    return {std::nullopt};
}
