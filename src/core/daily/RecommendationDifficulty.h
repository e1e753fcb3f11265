#pragma once

#include <QString>

#include <array>
#include <optional>

// How hard the daily article is. The raw values travel in the settings, the article cache
// keys and the history.
enum class RecommendationDifficulty { beginner, intermediate, advanced };

inline constexpr std::array<RecommendationDifficulty, 3> kAllRecommendationDifficulties{
    RecommendationDifficulty::beginner, RecommendationDifficulty::intermediate, RecommendationDifficulty::advanced};

QString rawValue(RecommendationDifficulty difficulty);
// No value for any text other than the three raw values (exact match).
std::optional<RecommendationDifficulty> recommendationDifficultyFromRawValue(const QString &raw);
// The stored preference read the forgiving way: anything unknown is intermediate.
RecommendationDifficulty recommendationDifficultyFromPreference(const QString &raw);
// The label shown to the learner: "初级", "中级" or "高级".
QString title(RecommendationDifficulty difficulty);
// The level asked of the article writer: CEFR band, length and style.
QString promptDescription(RecommendationDifficulty difficulty);
