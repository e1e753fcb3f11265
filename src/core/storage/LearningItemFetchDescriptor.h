#pragma once

#include "collection/LearningItem.h"

#include <QDateTime>
#include <QList>
#include <QString>

// Which items a fetch returns. Each predicate is evaluated by SQLite on stored rows and in
// memory on items inserted but not yet saved, so both must agree.
class LearningItemPredicate {
public:
    enum class Kind { all, typeAndNormalizedText, nextReviewAtOrBefore };

    // Every item.
    static LearningItemPredicate all() { return LearningItemPredicate(Kind::all); }
    // Items of one type whose normalised text (see normalizedItemText) equals `normalizedText`.
    static LearningItemPredicate typeAndNormalizedText(QString typeRawValue, QString normalizedText);
    // Items due at `now`: nextReviewAt ≤ now.
    static LearningItemPredicate nextReviewAtOrBefore(const QDateTime &now);

    Kind kind() const { return m_kind; }
    const QString &typeRawValue() const { return m_typeRawValue; }
    const QString &normalizedText() const { return m_normalizedText; }
    const QDateTime &date() const { return m_date; }

    bool matches(const LearningItem &item) const;

private:
    explicit LearningItemPredicate(Kind kind) : m_kind(kind) {}

    Kind m_kind;
    QString m_typeRawValue;
    QString m_normalizedText;
    QDateTime m_date;
};

// One key of a multi-key sort; text keys use the localised natural order.
enum class LearningItemSortKey {
    createdAtAscending,
    createdAtDescending,
    nextReviewAtAscending,
    textAscending,
};

struct LearningItemFetchDescriptor {
    LearningItemPredicate predicate = LearningItemPredicate::all();
    // Earlier keys take precedence; items equal under every key keep an unspecified order.
    QList<LearningItemSortKey> sortBy;
};
