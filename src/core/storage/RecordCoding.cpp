#include "storage/RecordCoding.h"

#include "storage/ModelStoreError.h"
#include "foundation/TextNormalization.h"

#include <QTimeZone>

qint64 RecordCoding::encodeDate(const QDateTime &date)
{
    // An invalid date has no instant to store; writing a made-up one would corrupt the schedule.
    if (!date.isValid())
        throw ModelStoreError(QStringLiteral("cannot store an invalid date"));
    return date.toMSecsSinceEpoch();
}

QDateTime RecordCoding::decodeDate(qint64 milliseconds) { return QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC); }

QString RecordCoding::encodeUuid(const QUuid &id) { return id.toString(QUuid::WithoutBraces); }

QUuid RecordCoding::decodeUuid(const QString &text) { return QUuid::fromString(text); }

QString RecordCoding::encodeStringList(const StringList &list) { return QString::fromUtf8(list.toJSONData()); }

std::optional<StringList> RecordCoding::decodeStringList(const QString &text)
{
    return StringList::fromJSONData(text.toUtf8());
}

void RecordCoding::bindItem(SQLiteDatabase::Statement &statement, const LearningItem &item)
{
    auto optionalList = [](const std::optional<StringList> &list) -> std::optional<QString> {
        if (!list)
            return std::nullopt;
        return encodeStringList(*list);
    };
    std::optional<qint64> lastReviewedAt;
    if (item.lastReviewedAt)
        lastReviewedAt = encodeDate(*item.lastReviewedAt);
    statement.bind(1, encodeUuid(item.id))
        .bind(2, item.text)
        .bind(3, item.typeRawValue)
        .bind(4, item.sourceApp)
        .bind(5, item.sourceTitle)
        .bind(6, item.contextBefore)
        .bind(7, item.contextAfter)
        .bind(8, item.explanation)
        .bind(9, optionalList(item.examplesStorage))
        .bind(10, optionalList(item.tagsStorage))
        .bind(11, item.familiarityRawValue)
        .bind(12, encodeDate(item.createdAt))
        .bind(13, encodeDate(item.updatedAt))
        .bind(14, lastReviewedAt)
        .bind(15, encodeDate(item.nextReviewAt))
        .bind(16, item.reviewCount)
        .bind(17, item.errorCount)
        .bind(18, item.ease)
        .bind(19, item.consecutiveCorrectCount)
        .bind(20, normalizedItemText(item.text));
}

LearningItem RecordCoding::readItem(const SQLiteDatabase::Statement &row)
{
    auto optionalList = [&row](int column) -> std::optional<StringList> {
        if (row.isNull(column))
            return std::nullopt;
        return decodeStringList(row.text(column));
    };
    std::optional<QDateTime> lastReviewedAt;
    if (!row.isNull(13))
        lastReviewedAt = decodeDate(row.integer(13));
    LearningItem item(decodeUuid(row.text(0)), row.text(1), LearningItemType::word, row.optionalText(3),
                      row.optionalText(4), row.optionalText(5), row.optionalText(6), row.text(7), {}, {},
                      Familiarity::new_, decodeDate(row.integer(11)), decodeDate(row.integer(12)), lastReviewedAt,
                      decodeDate(row.integer(14)), row.real(17), row.integer(18));
    // Raw values are kept as stored, unknown spellings included; the accessors interpret them.
    item.typeRawValue = row.text(2);
    item.familiarityRawValue = row.text(10);
    item.examplesStorage = optionalList(8);
    item.tagsStorage = optionalList(9);
    item.reviewCount = row.integer(15);
    item.errorCount = row.integer(16);
    return item;
}

void RecordCoding::bindEvent(SQLiteDatabase::Statement &statement, const ReviewEvent &event)
{
    statement.bind(1, encodeUuid(event.id))
        .bind(2, encodeUuid(event.itemId))
        .bind(3, encodeDate(event.reviewedAt))
        .bind(4, event.resultRawValue)
        .bind(5, event.promptTypeRawValue);
}

ReviewEvent RecordCoding::readEvent(const SQLiteDatabase::Statement &row)
{
    ReviewEvent event(decodeUuid(row.text(0)), decodeUuid(row.text(1)), decodeDate(row.integer(2)),
                      ReviewResult::forgot, ReviewPromptType::recallMeaning);
    event.resultRawValue = row.text(3);
    event.promptTypeRawValue = row.text(4);
    return event;
}

bool RecordCoding::sameStoredFields(const LearningItem &a, const LearningItem &b)
{
    return a.id == b.id && a.text == b.text && a.typeRawValue == b.typeRawValue && a.sourceApp == b.sourceApp
        && a.sourceTitle == b.sourceTitle && a.contextBefore == b.contextBefore && a.contextAfter == b.contextAfter
        && a.explanation == b.explanation && a.examplesStorage == b.examplesStorage
        && a.tagsStorage == b.tagsStorage && a.familiarityRawValue == b.familiarityRawValue
        && a.createdAt == b.createdAt && a.updatedAt == b.updatedAt && a.lastReviewedAt == b.lastReviewedAt
        && a.nextReviewAt == b.nextReviewAt && a.reviewCount == b.reviewCount && a.errorCount == b.errorCount
        && a.ease == b.ease && a.consecutiveCorrectCount == b.consecutiveCorrectCount;
}
