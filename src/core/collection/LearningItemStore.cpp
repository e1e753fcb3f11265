#include "collection/LearningItemStore.h"

#include "review/ReviewScheduler.h"
#include "foundation/TextNormalization.h"

#include <QUuid>

namespace {

constexpr qint64 kFirstReviewDelaySeconds = 3600;
constexpr double kStartingEase = 2.5;

} // namespace

LearningItemStore::LearningItemStore(ModelContext &context, AppNotificationCenter &notificationCenter)
    : LearningItemStore(context, {}, {}, notificationCenter)
{
}

LearningItemStore::LearningItemStore(ModelContext &context, std::function<void()> saveChanges,
                                     std::function<void()> rollbackChanges, AppNotificationCenter &notificationCenter)
    : m_context(context),
      m_saveChanges(saveChanges ? std::move(saveChanges) : [&context] { context.save(); }),
      m_rollbackChanges(rollbackChanges ? std::move(rollbackChanges) : [&context] { context.rollback(); }),
      m_notificationCenter(notificationCenter)
{
}

std::shared_ptr<LearningItem> LearningItemStore::savedItem(const LookupResult &result)
{
    // An indexed lookup on the stored normalised text rather than a scan of every item of
    // the type; newest first, as several matches can only come from older data.
    const LearningItemFetchDescriptor descriptor{
        LearningItemPredicate::typeAndNormalizedText(rawValue(result.itemType), normalizedItemText(result.selectedText)),
        {LearningItemSortKey::createdAtDescending}};
    const QList<std::shared_ptr<LearningItem>> matches = m_context.fetchItems(descriptor);
    if (matches.isEmpty())
        return nullptr;
    return matches.first();
}

void LearningItemStore::saveContextAndNotify()
{
    m_context.save();
    m_notificationCenter.post(AppNotification::collectionDidChange);
}

void LearningItemStore::save(const LookupResult &result, const std::optional<QString> &sourceApp,
                             const std::optional<QString> &sourceTitle)
{
    bool wrote = false;
    // The check and the insert share the write lock: two processes saving the same text at
    // once store it once.
    m_context.transaction([&] {
        if (savedItem(result)) {
            // A match may be the pending insert of an earlier save whose write failed: asking
            // again must finish that write, not report success over an unsaved item.
            if (m_context.hasChanges()) {
                m_context.save();
                wrote = true;
            }
            return;
        }
        const QDateTime now = QDateTime::currentDateTimeUtc();
        m_context.insert(LearningItem(QUuid::createUuid(), result.selectedText, result.itemType, sourceApp,
                                      sourceTitle, std::nullopt, std::nullopt, result.markdownExplanation(),
                                      result.examples, {}, Familiarity::new_, now, now, std::nullopt,
                                      now.addSecs(kFirstReviewDelaySeconds), kStartingEase, 0));
        m_context.save();
        wrote = true;
    });
    if (wrote)
        m_notificationCenter.post(AppNotification::collectionDidChange);
}

bool LearningItemStore::contains(const LookupResult &result) { return savedItem(result) != nullptr; }

void LearningItemStore::remove(const LookupResult &result)
{
    const std::shared_ptr<LearningItem> item = savedItem(result);
    if (!item) {
        // Likewise: the item may be gone from view only because its delete is still pending.
        if (m_context.hasChanges())
            saveContextAndNotify();
        return;
    }
    m_context.deleteItem(item);
    saveContextAndNotify();
}

void LearningItemStore::remove(const std::shared_ptr<LearningItem> &item)
{
    m_context.deleteItem(item);
    saveContextAndNotify();
}

QList<std::shared_ptr<LearningItem>> LearningItemStore::allItems()
{
    return m_context.fetchItems({LearningItemPredicate::all(),
                                 {LearningItemSortKey::createdAtDescending, LearningItemSortKey::textAscending}});
}

QList<std::shared_ptr<LearningItem>> LearningItemStore::dueItems(const QDateTime &now)
{
    return m_context.fetchItems({LearningItemPredicate::nextReviewAtOrBefore(now),
                                 {LearningItemSortKey::nextReviewAtAscending, LearningItemSortKey::createdAtAscending,
                                  LearningItemSortKey::textAscending}});
}

void LearningItemStore::recordReview(const std::shared_ptr<LearningItem> &item, ReviewResult result,
                                     ReviewPromptType promptType, const QDateTime &reviewedAt)
{
    LearningItem &target = *item;
    bool saved = false;
    try {
        m_context.transaction([&] {
            // Another process may have reviewed or removed the item since it was shown: the
            // schedule continues from the stored row, read under the write lock.
            m_context.refresh(item);
            const LearningItem before = target;
            ReviewEvent event(QUuid::createUuid(), target.id, reviewedAt, result, promptType);
            // Negative when the clock went back since the last review.
            const QDateTime since = target.lastReviewedAt.value_or(target.createdAt);
            const double elapsedInterval = double(since.msecsTo(reviewedAt)) / 1000.0;
            const ReviewScheduler::Schedule schedule = ReviewScheduler::schedule(
                result, reviewedAt, target.ease, elapsedInterval, target.consecutiveCorrectCount);

            target.lastReviewedAt = reviewedAt;
            target.nextReviewAt = schedule.nextReviewAt;
            target.ease = schedule.ease;
            target.consecutiveCorrectCount = schedule.consecutiveCorrect;
            target.setFamiliarity(schedule.familiarity);
            target.reviewCount += 1;
            if (result == ReviewResult::forgot || result == ReviewResult::hard)
                target.errorCount += 1;
            target.updatedAt = reviewedAt;

            m_context.insert(std::move(event));
            try {
                m_saveChanges();
                saved = true;
            } catch (...) {
                // The explicit restore also covers a rollback action that leaves live objects
                // alone (or fails itself): the item must show the stored schedule either way.
                try {
                    m_rollbackChanges();
                } catch (...) {
                }
                target = before;
                throw;
            }
        });
    } catch (...) {
        // Saved, but the commit around it failed: the row still holds the earlier schedule.
        if (saved) {
            try {
                m_context.refresh(item);
            } catch (...) {
            }
        }
        throw;
    }
}
