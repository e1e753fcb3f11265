#include "services/LearningItemExportItem.h"

#include "models/LearningItem.h"

#include <QJsonArray>

QString exportDateString(const QDateTime &date)
{
    if (!date.isValid())
        return {};
    // Qt::ISODate drops the milliseconds and writes UTC with the "Z" suffix.
    return date.toUTC().toString(Qt::ISODate);
}

QDateTime exportDateFromString(const QString &text)
{
    QDateTime date = QDateTime::fromString(text, Qt::ISODate);
    return date.isValid() ? date.toUTC() : QDateTime();
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

static std::optional<QStringList> stringArray(const QJsonValue &value)
{
    if (!value.isArray())
        return std::nullopt;
    QStringList strings;
    for (const QJsonValue &element : value.toArray()) {
        if (!element.isString())
            return std::nullopt;
        strings.append(element.toString());
    }
    return strings;
}

// Missing is fine (none); present with another type is not.
static bool readOptionalString(const QJsonObject &object, const QString &key, std::optional<QString> &out)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return true;
    if (!value.isString())
        return false;
    out = value.toString();
    return true;
}

static std::optional<qint64> integer(const QJsonValue &value)
{
    // toInteger falls back to its argument for anything but a whole number, so two
    // different fallbacks agree only on a real integer.
    const qint64 value0 = value.toInteger(0);
    if (value0 != value.toInteger(1))
        return std::nullopt;
    return value0;
}

std::optional<LearningItemExportItem> LearningItemExportItem::fromJSON(const QJsonObject &object)
{
    auto field = [&object](const char *key) { return object.value(QLatin1String(key)); };
    auto date = [&object](const char *key) { return exportDateFromString(object.value(QLatin1String(key)).toString()); };

    LearningItemExportItem item;
    item.id = QUuid::fromString(field("id").toString());
    const auto examples = stringArray(field("examples"));
    const auto tags = stringArray(field("tags"));
    const auto reviewCount = integer(field("reviewCount"));
    const auto errorCount = integer(field("errorCount"));
    if (item.id.isNull() || !field("type").isString() || !field("text").isString()
        || !field("explanation").isString() || !field("familiarity").isString() || !examples || !tags
        || !reviewCount || !errorCount)
        return std::nullopt;
    item.type = field("type").toString();
    item.text = field("text").toString();
    item.explanation = field("explanation").toString();
    item.familiarity = field("familiarity").toString();
    item.examples = *examples;
    item.tags = *tags;
    item.reviewCount = *reviewCount;
    item.errorCount = *errorCount;

    if (!readOptionalString(object, QStringLiteral("sourceApp"), item.sourceApp)
        || !readOptionalString(object, QStringLiteral("sourceTitle"), item.sourceTitle)
        || !readOptionalString(object, QStringLiteral("contextBefore"), item.contextBefore)
        || !readOptionalString(object, QStringLiteral("contextAfter"), item.contextAfter))
        return std::nullopt;

    item.createdAt = date("createdAt");
    item.updatedAt = date("updatedAt");
    item.nextReviewAt = date("nextReviewAt");
    if (!item.createdAt.isValid() || !item.updatedAt.isValid() || !item.nextReviewAt.isValid())
        return std::nullopt;
    if (object.contains(QStringLiteral("lastReviewedAt"))) {
        const QDateTime lastReviewedAt = date("lastReviewedAt");
        if (!lastReviewedAt.isValid())
            return std::nullopt;
        item.lastReviewedAt = lastReviewedAt;
    }
    return item;
}
