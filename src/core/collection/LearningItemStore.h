#pragma once

#include "lookup/LookupResult.h"
#include "review/ReviewLearningItemStoring.h"
#include "storage/ModelContext.h"
#include "foundation/AppNotificationCenter.h"

#include <QString>

#include <functional>
#include <optional>

// The one way the application reads and changes the saved collection. A lightweight object
// over a model context: windows and callbacks make one whenever they need it. Successful
// saves and removals post collectionDidChange; recording a review posts nothing. Errors are
// the context's ModelStoreError, passed through. Main thread only.
class LearningItemStore : public ReviewLearningItemStoring {
public:
    // Changes are announced on `notificationCenter`.
    LearningItemStore(ModelContext &context, AppNotificationCenter &notificationCenter);
    // Empty `saveChanges` and `rollbackChanges` stand for the context's save and rollback;
    // they are used by recordReview only.
    LearningItemStore(ModelContext &context, std::function<void()> saveChanges, std::function<void()> rollbackChanges,
                      AppNotificationCenter &notificationCenter);

    // Saves the result as a new item, due one hour from now; does nothing when an item of
    // the same type with the same text (ignoring case and surrounding whitespace) exists.
    void save(const LookupResult &result, const std::optional<QString> &sourceApp = std::nullopt,
              const std::optional<QString> &sourceTitle = std::nullopt);
    bool contains(const LookupResult &result);
    // Removes the saved item matching the result; an unsaved result is not an error.
    void remove(const LookupResult &result);
    void remove(const std::shared_ptr<LearningItem> &item);
    // Newest first; items saved at the same moment in natural text order.
    QList<std::shared_ptr<LearningItem>> allItems();

    using ReviewLearningItemStoring::dueItems;
    using ReviewLearningItemStoring::recordReview;
    // Earliest due first, then oldest saved, then natural text order.
    QList<std::shared_ptr<LearningItem>> dueItems(const QDateTime &now) override;
    // Schedules from the item's stored row, re-read under the write lock (another process
    // may have reviewed it meanwhile), which the item then shows. An item removed elsewhere
    // throws ModelStoreError and records nothing.
    void recordReview(const std::shared_ptr<LearningItem> &item, ReviewResult result, ReviewPromptType promptType,
                      const QDateTime &reviewedAt) override;

private:
    std::shared_ptr<LearningItem> savedItem(const LookupResult &result);
    void saveContextAndNotify();

    ModelContext &m_context;
    std::function<void()> m_saveChanges;
    std::function<void()> m_rollbackChanges;
    AppNotificationCenter &m_notificationCenter;
};
