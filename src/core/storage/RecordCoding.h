#pragma once

#include "collection/LearningItem.h"
#include "review/ReviewEvent.h"
#include "foundation/StringList.h"
#include "storage/SQLiteDatabase.h"

#include <QDateTime>
#include <QString>

#include <optional>

// How records are laid out in their rows. Dates are whole UTC milliseconds since the epoch
// (INTEGER), ids are UUID text without braces, string lists are {"values": [...]} JSON text.
class RecordCoding {
public:
    // The columns of LearningItem in the order readItem() expects them.
    static constexpr const char *itemColumns =
        "id, text, typeRawValue, sourceApp, sourceTitle, contextBefore, contextAfter, explanation, "
        "examplesStorage, tagsStorage, familiarityRawValue, createdAt, updatedAt, lastReviewedAt, "
        "nextReviewAt, reviewCount, errorCount, ease, consecutiveCorrectCount";
    static constexpr int itemColumnCount = 19;
    static constexpr const char *eventColumns = "id, itemId, reviewedAt, resultRawValue, promptTypeRawValue";

    static qint64 encodeDate(const QDateTime &date);
    static QDateTime decodeDate(qint64 milliseconds);
    static QString encodeUuid(const QUuid &id);
    static QUuid decodeUuid(const QString &text);
    static QString encodeStringList(const StringList &list);
    // None for text that is not a {"values": [...]} object.
    static std::optional<StringList> decodeStringList(const QString &text);

    // Binds parameters 1…19 in itemColumns order and 20 to the normalised text.
    static void bindItem(SQLiteDatabase::Statement &statement, const LearningItem &item);
    static LearningItem readItem(const SQLiteDatabase::Statement &row);
    static void bindEvent(SQLiteDatabase::Statement &statement, const ReviewEvent &event);
    static ReviewEvent readEvent(const SQLiteDatabase::Statement &row);

    // Whether every stored field of `a` equals that of `b` (dates to the millisecond).
    static bool sameStoredFields(const LearningItem &a, const LearningItem &b);
};
