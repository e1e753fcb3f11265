#include "daily/DailyRecommendationHistoryItem.h"

#include "foundation/JSONDecodingError.h"
#include "foundation/StrictJSONReader.h"

#include <QTimeZone>

#include <cmath>

namespace {

const QDateTime &referenceDate()
{
    static const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return reference;
}

} // namespace

double DailyRecommendationHistoryItem::referenceSeconds(const QDateTime &date)
{
    return static_cast<double>(referenceDate().msecsTo(date)) / 1000.0;
}

QDateTime DailyRecommendationHistoryItem::dateFromReferenceSeconds(double seconds)
{
    return referenceDate().addMSecs(std::llround(seconds * 1000.0));
}

DailyRecommendationHistoryItem DailyRecommendationHistoryItem::fromJSON(const QJsonObject &object,
                                                                      const QStringList &codingPath)
{
    const StrictJSONReader reader(object, codingPath);
    DailyRecommendationHistoryItem item;
    item.id = reader.string(QStringLiteral("id"));
    item.date = dateFromReferenceSeconds(reader.number(QStringLiteral("date")));
    if (const std::optional<double> createdAt = reader.optionalNumber(QStringLiteral("createdAt")))
        item.createdAt = dateFromReferenceSeconds(*createdAt);
    const QString difficulty = reader.string(QStringLiteral("difficulty"));
    const std::optional<RecommendationDifficulty> known = recommendationDifficultyFromRawValue(difficulty);
    if (!known)
        throw JSONDecodingError::dataCorrupted(reader.path(QStringLiteral("difficulty")),
                                               QStringLiteral("Cannot initialize RecommendationDifficulty from invalid String value ") + difficulty);
    item.difficulty = *known;
    item.recommendation = DailyRecommendation::fromJSON(reader.object(QStringLiteral("recommendation")),
                                                        reader.path(QStringLiteral("recommendation")));
    return item;
}

QJsonObject DailyRecommendationHistoryItem::toJSON() const
{
    QJsonObject object{{QStringLiteral("id"), id},
                       {QStringLiteral("date"), referenceSeconds(date)},
                       {QStringLiteral("difficulty"), rawValue(difficulty)},
                       {QStringLiteral("recommendation"), recommendation.toJSON()}};
    if (createdAt)
        object.insert(QStringLiteral("createdAt"), referenceSeconds(*createdAt));
    return object;
}
