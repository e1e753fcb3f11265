#include "daily/RecommendationDifficulty.h"

QString rawValue(RecommendationDifficulty difficulty)
{
    switch (difficulty) {
    case RecommendationDifficulty::beginner:
        return QStringLiteral("beginner");
    case RecommendationDifficulty::intermediate:
        return QStringLiteral("intermediate");
    case RecommendationDifficulty::advanced:
        return QStringLiteral("advanced");
    }
    return QStringLiteral("intermediate");
}

std::optional<RecommendationDifficulty> recommendationDifficultyFromRawValue(const QString &raw)
{
    for (RecommendationDifficulty difficulty : kAllRecommendationDifficulties) {
        if (rawValue(difficulty) == raw)
            return difficulty;
    }
    return std::nullopt;
}

RecommendationDifficulty recommendationDifficultyFromPreference(const QString &raw)
{
    return recommendationDifficultyFromRawValue(raw).value_or(RecommendationDifficulty::intermediate);
}

QString title(RecommendationDifficulty difficulty)
{
    switch (difficulty) {
    case RecommendationDifficulty::beginner:
        return QStringLiteral("初级");
    case RecommendationDifficulty::intermediate:
        return QStringLiteral("中级");
    case RecommendationDifficulty::advanced:
        return QStringLiteral("高级");
    }
    return QStringLiteral("中级");
}

QString promptDescription(RecommendationDifficulty difficulty)
{
    switch (difficulty) {
    case RecommendationDifficulty::beginner:
        return QStringLiteral("CEFR A2-B1，约 180-250 词，句式清晰");
    case RecommendationDifficulty::intermediate:
        return QStringLiteral("CEFR B2，约 300-450 词，包含自然的复合句");
    case RecommendationDifficulty::advanced:
        return QStringLiteral("CEFR C1-C2，约 500-700 词，词汇和论述有挑战性");
    }
    return {};
}
