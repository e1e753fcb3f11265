#pragma once

#include "daily/DailyRecommendation.h"
#include "daily/RecommendationDifficulty.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// One article of the reader's history. Dates are stored as seconds since
// 2001-01-01 00:00:00 UTC (JSON numbers), the format earlier releases wrote.
struct DailyRecommendationHistoryItem {
    // A random UUID; "legacy." + the day key and difficulty for articles found only in a
    // per-day record.
    QString id;
    // The start of the article's day.
    QDateTime date;
    // When it was stored; absent for adopted articles.
    std::optional<QDateTime> createdAt;
    RecommendationDifficulty difficulty = RecommendationDifficulty::intermediate;
    DailyRecommendation recommendation;

    bool operator==(const DailyRecommendationHistoryItem &) const = default;

    // Strict like DailyRecommendation; an unknown difficulty fails too. Throws
    // JSONDecodingError.
    static DailyRecommendationHistoryItem fromJSON(const QJsonObject &object, const QStringList &codingPath = {});
    // An absent createdAt is left out.
    QJsonObject toJSON() const;

    static double referenceSeconds(const QDateTime &date);
    static QDateTime dateFromReferenceSeconds(double seconds);
};
