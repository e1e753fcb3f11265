#include "export/LearningItemExportItem.h"

#include "collection/LearningItem.h"

#include <QJsonArray>

QString exportDateString(const QDateTime &date)
{
    if (!date.isValid())
        return {};
    // Qt::ISODate drops the milliseconds and writes UTC with the "Z" suffix.
    return date.toUTC().toString(Qt::ISODate);
}

QString exportUuidString(const QUuid &id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

LearningItemExportItem LearningItemExportItem::from(const LearningItem &item)
{
    return LearningItemExportItem{
        .id = item.id,
        .type = rawValue(item.type()),
        .text = item.text,
        .explanation = item.explanation,
        .examples = item.examples(),
        .tags = item.tags(),
        .sourceApp = item.sourceApp,
        .sourceTitle = item.sourceTitle,
        .contextBefore = item.contextBefore,
        .contextAfter = item.contextAfter,
        .familiarity = rawValue(item.familiarity()),
        .createdAt = item.createdAt,
        .updatedAt = item.updatedAt,
        .lastReviewedAt = item.lastReviewedAt,
        .nextReviewAt = item.nextReviewAt,
        .reviewCount = item.reviewCount,
        .errorCount = item.errorCount,
    };
}

static void insertIfPresent(QJsonObject &object, const QString &key, const std::optional<QString> &value)
{
    if (value)
        object.insert(key, *value);
}

QJsonObject LearningItemExportItem::toJSON() const
{
    // QJsonObject keeps its keys sorted, which is the order the document promises.
    QJsonObject object{
        {QStringLiteral("id"), exportUuidString(id)},
        {QStringLiteral("type"), type},
        {QStringLiteral("text"), text},
        {QStringLiteral("explanation"), explanation},
        {QStringLiteral("examples"), QJsonArray::fromStringList(examples)},
        {QStringLiteral("tags"), QJsonArray::fromStringList(tags)},
        {QStringLiteral("familiarity"), familiarity},
        {QStringLiteral("createdAt"), exportDateString(createdAt)},
        {QStringLiteral("updatedAt"), exportDateString(updatedAt)},
        {QStringLiteral("nextReviewAt"), exportDateString(nextReviewAt)},
        {QStringLiteral("reviewCount"), reviewCount},
        {QStringLiteral("errorCount"), errorCount},
    };
    insertIfPresent(object, QStringLiteral("sourceApp"), sourceApp);
    insertIfPresent(object, QStringLiteral("sourceTitle"), sourceTitle);
    insertIfPresent(object, QStringLiteral("contextBefore"), contextBefore);
    insertIfPresent(object, QStringLiteral("contextAfter"), contextAfter);
    if (lastReviewedAt)
        object.insert(QStringLiteral("lastReviewedAt"), exportDateString(*lastReviewedAt));
    return object;
}
