#include "daily/RecommendationTeachingPoint.h"

#include "foundation/StrictJSONReader.h"

RecommendationTeachingPoint RecommendationTeachingPoint::fromJSON(const QJsonObject &object,
                                                                  const QStringList &codingPath)
{
    const StrictJSONReader reader(object, codingPath);
    return {reader.string(QStringLiteral("term")), reader.string(QStringLiteral("explanation")),
            reader.string(QStringLiteral("example"))};
}

QJsonObject RecommendationTeachingPoint::toJSON() const
{
    return {{QStringLiteral("term"), term},
            {QStringLiteral("explanation"), explanation},
            {QStringLiteral("example"), example}};
}
