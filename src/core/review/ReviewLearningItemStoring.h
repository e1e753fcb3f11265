#pragma once

#include "collection/LearningItem.h"
#include "review/ReviewPromptType.h"
#include "review/ReviewResult.h"

#include <QDateTime>
#include <QList>

#include <memory>

// What a review session needs from the collection: the items due for review and a way to
// record an answer. Both may throw the store's errors.
class ReviewLearningItemStoring {
public:
    virtual ~ReviewLearningItemStoring() = default;

    // The items whose next review is at or before `now`, earliest due first.
    virtual QList<std::shared_ptr<LearningItem>> dueItems(const QDateTime &now) = 0;
    // Logs the answer and reschedules the item; on failure the item keeps its previous
    // schedule and no log entry remains.
    virtual void recordReview(const std::shared_ptr<LearningItem> &item, ReviewResult result,
                              ReviewPromptType promptType, const QDateTime &reviewedAt) = 0;

    QList<std::shared_ptr<LearningItem>> dueItems() { return dueItems(QDateTime::currentDateTimeUtc()); }
    void recordReview(const std::shared_ptr<LearningItem> &item, ReviewResult result, ReviewPromptType promptType)
    {
        recordReview(item, result, promptType, QDateTime::currentDateTimeUtc());
    }
};
