#include "storage/LearningItemFetchDescriptor.h"

#include "foundation/TextNormalization.h"

LearningItemPredicate LearningItemPredicate::typeAndNormalizedText(QString typeRawValue, QString normalizedText)
{
    LearningItemPredicate predicate(Kind::typeAndNormalizedText);
    predicate.m_typeRawValue = std::move(typeRawValue);
    predicate.m_normalizedText = std::move(normalizedText);
    return predicate;
}

LearningItemPredicate LearningItemPredicate::nextReviewAtOrBefore(const QDateTime &now)
{
    LearningItemPredicate predicate(Kind::nextReviewAtOrBefore);
    predicate.m_date = now;
    return predicate;
}

bool LearningItemPredicate::matches(const LearningItem &item) const
{
    switch (m_kind) {
    case Kind::all:
        return true;
    case Kind::typeAndNormalizedText:
        return item.typeRawValue == m_typeRawValue && normalizedItemText(item.text) == m_normalizedText;
    case Kind::nextReviewAtOrBefore:
        // Compared as stored: whole milliseconds.
        return item.nextReviewAt.toMSecsSinceEpoch() <= m_date.toMSecsSinceEpoch();
    }
    return false;
}
