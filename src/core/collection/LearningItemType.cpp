#include "collection/LearningItemType.h"

QString rawValue(LearningItemType type)
{
    switch (type) {
    case LearningItemType::word:
        return QStringLiteral("word");
    case LearningItemType::phrase:
        return QStringLiteral("phrase");
    case LearningItemType::sentence:
        return QStringLiteral("sentence");
    }
    return QStringLiteral("word");
}

std::optional<LearningItemType> learningItemTypeFromRawValue(const QString &raw)
{
    for (LearningItemType type : kAllLearningItemTypes) {
        if (rawValue(type) == raw)
            return type;
    }
    return std::nullopt;
}
