#pragma once

#include "collection/Familiarity.h"
#include "collection/LearningItemType.h"
#include "foundation/StringList.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// One saved word, phrase or sentence. The store hands items out as shared objects with
// identity (one object per id within a context), so the data members are the stored
// attributes themselves, named as they are stored.
class LearningItem {
public:
    LearningItem(QUuid id, QString text, LearningItemType type, std::optional<QString> sourceApp,
                 std::optional<QString> sourceTitle, std::optional<QString> contextBefore,
                 std::optional<QString> contextAfter, QString explanation, QStringList examples,
                 QStringList tags, Familiarity familiarity, QDateTime createdAt, QDateTime updatedAt,
                 std::optional<QDateTime> lastReviewedAt, QDateTime nextReviewAt, double ease,
                 qint64 consecutiveCorrectCount);

    // Any stored text other than the three raw values reads as `word`.
    LearningItemType type() const;
    // Any stored text other than the four raw values reads as `new`.
    Familiarity familiarity() const;
    void setFamiliarity(Familiarity familiarity);
    QStringList examples() const;
    QStringList tags() const;

    QUuid id;
    QString text;
    QString typeRawValue;
    std::optional<QString> sourceApp;
    std::optional<QString> sourceTitle;
    std::optional<QString> contextBefore;
    std::optional<QString> contextAfter;
    QString explanation;
    std::optional<StringList> examplesStorage;
    std::optional<StringList> tagsStorage;
    QString familiarityRawValue;
    QDateTime createdAt;
    QDateTime updatedAt;
    std::optional<QDateTime> lastReviewedAt;
    QDateTime nextReviewAt;
    qint64 reviewCount = 0;
    qint64 errorCount = 0;
    double ease = 2.5;
    qint64 consecutiveCorrectCount = 0;
};
