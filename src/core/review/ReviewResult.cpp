#include "review/ReviewResult.h"

QString rawValue(ReviewResult value)
{
    switch (value) {
    case ReviewResult::forgot:
        return QStringLiteral("forgot");
    case ReviewResult::hard:
        return QStringLiteral("hard");
    case ReviewResult::good:
        return QStringLiteral("good");
    case ReviewResult::easy:
        return QStringLiteral("easy");
    }
    return QStringLiteral("forgot");
}

std::optional<ReviewResult> reviewResultFromRawValue(const QString &raw)
{
    for (ReviewResult value : kAllReviewResultCases) {
        if (rawValue(value) == raw)
            return value;
    }
    return std::nullopt;
}
