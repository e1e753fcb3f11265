#include "review/ReviewPromptType.h"

QString rawValue(ReviewPromptType value)
{
    switch (value) {
    case ReviewPromptType::hideTargetInContext:
        return QStringLiteral("hideTargetInContext");
    case ReviewPromptType::recallMeaning:
        return QStringLiteral("recallMeaning");
    case ReviewPromptType::recallEnglishFromChinese:
        return QStringLiteral("recallEnglishFromChinese");
    case ReviewPromptType::explainOrRewriteSentence:
        return QStringLiteral("explainOrRewriteSentence");
    }
    return QStringLiteral("hideTargetInContext");
}

std::optional<ReviewPromptType> reviewPromptTypeFromRawValue(const QString &raw)
{
    for (ReviewPromptType value : kAllReviewPromptTypeCases) {
        if (rawValue(value) == raw)
            return value;
    }
    return std::nullopt;
}
