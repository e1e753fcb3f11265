#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// One thing the daily article teaches: a key word, a phrase or a grammar structure, with
// its Chinese explanation and an English example. Lists of points are keyed by `term`.
struct RecommendationTeachingPoint {
    QString term;
    QString explanation;
    QString example;

    bool operator==(const RecommendationTeachingPoint &) const = default;

    // Strict: the three strings must all be there. Throws JSONDecodingError naming the
    // failing key under `codingPath`.
    static RecommendationTeachingPoint fromJSON(const QJsonObject &object, const QStringList &codingPath = {});
    QJsonObject toJSON() const;
};
