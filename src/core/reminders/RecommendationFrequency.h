#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

// How often the daily article reminder comes. The raw values travel in the settings.
enum class RecommendationFrequency { daily, weekdays, weekly };

inline constexpr std::array<RecommendationFrequency, 3> kAllRecommendationFrequencies{
    RecommendationFrequency::daily, RecommendationFrequency::weekdays, RecommendationFrequency::weekly};

QString rawValue(RecommendationFrequency frequency);
// No value for any text other than the three raw values (exact match).
std::optional<RecommendationFrequency> recommendationFrequencyFromRawValue(const QString &raw);
// The stored preference read the forgiving way: anything unknown is daily.
RecommendationFrequency recommendationFrequencyFromPreference(const QString &raw);
// The label shown to the learner: "每天", "工作日" or "每周一".
QString title(RecommendationFrequency frequency);
// The days a reminder is scheduled on, as Gregorian weekday numbers (1 = Sunday), one
// reminder each; a single empty entry for every day.
std::vector<std::optional<int>> scheduledWeekdays(RecommendationFrequency frequency);
