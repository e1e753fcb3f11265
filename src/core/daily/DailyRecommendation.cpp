#include "daily/DailyRecommendation.h"

#include "foundation/JSONKeyedReader.h"
#include "foundation/StrictJSONReader.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QJsonArray encoded(const QList<RecommendationTeachingPoint> &points)
{
    QJsonArray array;
    for (const RecommendationTeachingPoint &point : points)
        array.append(point.toJSON());
    return array;
}

} // namespace

DailyRecommendation DailyRecommendation::fromJSON(const QJsonObject &object, const QStringList &codingPath)
{
    const StrictJSONReader reader(object, codingPath);
    const auto points = [&](const QString &key) {
        return reader.objects<RecommendationTeachingPoint>(key, &RecommendationTeachingPoint::fromJSON);
    };
    return {reader.string(QStringLiteral("title")),
            reader.string(QStringLiteral("article")),
            reader.string(QStringLiteral("chineseSummary")),
            points(QStringLiteral("keyWords")),
            points(QStringLiteral("keyPhrases")),
            points(QStringLiteral("grammarPoints"))};
}

DailyRecommendation DailyRecommendation::fromJSONData(const QByteArray &data)
{
    return fromJSON(JSONKeyedReader::objectFromJSONData(data));
}

QJsonObject DailyRecommendation::toJSON() const
{
    return {{QStringLiteral("title"), title},
            {QStringLiteral("article"), article},
            {QStringLiteral("chineseSummary"), chineseSummary},
            {QStringLiteral("keyWords"), encoded(keyWords)},
            {QStringLiteral("keyPhrases"), encoded(keyPhrases)},
            {QStringLiteral("grammarPoints"), encoded(grammarPoints)}};
}

QByteArray DailyRecommendation::toJSONData() const { return QJsonDocument(toJSON()).toJson(QJsonDocument::Compact); }
