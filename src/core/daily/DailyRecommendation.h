#pragma once

#include "daily/RecommendationTeachingPoint.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// One daily article with its teaching points. The same six keys are used in the model's
// answer, in the cache and in the history.
struct DailyRecommendation {
    QString title;
    // The whole article; paragraphs are separated by newlines.
    QString article;
    QString chineseSummary;
    QList<RecommendationTeachingPoint> keyWords;
    QList<RecommendationTeachingPoint> keyPhrases;
    QList<RecommendationTeachingPoint> grammarPoints;

    bool operator==(const DailyRecommendation &) const = default;

    // Strict: all six keys are required and must have their type; lists may have any length.
    // Throws JSONDecodingError.
    static DailyRecommendation fromJSON(const QJsonObject &object, const QStringList &codingPath = {});
    // fromJSON over the object held by the bytes; also throws JSONDecodingError for bytes
    // that are not a JSON object.
    static DailyRecommendation fromJSONData(const QByteArray &data);
    QJsonObject toJSON() const;
    QByteArray toJSONData() const;
};
