#pragma once

#include "review/ReviewLearningItemStoring.h"
#include "viewmodels/collection/CollectionItemStoring.h"

#include <stdexcept>
#include <vector>

inline std::shared_ptr<LearningItem> makeLearningItem(const QString &text, LearningItemType type = LearningItemType::word)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return std::make_shared<LearningItem>(QUuid::createUuid(), text, type, std::nullopt, std::nullopt, std::nullopt,
                                          std::nullopt, QString(), QStringList{}, QStringList{}, Familiarity::new_, now,
                                          now, std::nullopt, now, 2.5, 0);
}

// An in-memory collection, listed in the order of `items`, whose operations fail on demand.
class FakeLearningItemStore final : public CollectionItemStoring, public ReviewLearningItemStoring {
public:
    struct RecordedReview {
        std::shared_ptr<LearningItem> item;
        ReviewResult result;
        ReviewPromptType promptType;
        QDateTime reviewedAt;
    };

    QList<std::shared_ptr<LearningItem>> items;
    bool failReading = false, failRemoving = false, failRecording = false;
    std::vector<std::shared_ptr<LearningItem>> removed;
    std::vector<RecordedReview> reviews;
    std::vector<QDateTime> dueQueries;

    QList<std::shared_ptr<LearningItem>> allItems() override { return read(); }
    QList<std::shared_ptr<LearningItem>> dueItems(const QDateTime &now) override
    {
        dueQueries.push_back(now);
        return read();
    }
    void remove(const std::shared_ptr<LearningItem> &item) override
    {
        throwIf(failRemoving);
        removed.push_back(item);
        items.removeAll(item);
    }
    void recordReview(const std::shared_ptr<LearningItem> &item, ReviewResult result, ReviewPromptType promptType,
                      const QDateTime &reviewedAt) override
    {
        throwIf(failRecording);
        reviews.push_back({item, result, promptType, reviewedAt});
    }

private:
    QList<std::shared_ptr<LearningItem>> read()
    {
        throwIf(failReading);
        return items;
    }
    static void throwIf(bool fail)
    {
        if (fail)
            throw std::runtime_error("database unavailable");
    }
};

// The windows make a store per load and per answer and own it; each of these hands the work
// to the test's one store.
class ForwardingStore final : public CollectionItemStoring, public ReviewLearningItemStoring {
public:
    explicit ForwardingStore(FakeLearningItemStore &store) : m_store(store) {}
    QList<std::shared_ptr<LearningItem>> allItems() override { return m_store.allItems(); }
    QList<std::shared_ptr<LearningItem>> dueItems(const QDateTime &now) override { return m_store.dueItems(now); }
    void remove(const std::shared_ptr<LearningItem> &item) override { m_store.remove(item); }
    void recordReview(const std::shared_ptr<LearningItem> &item, ReviewResult result, ReviewPromptType promptType,
                      const QDateTime &reviewedAt) override
    {
        m_store.recordReview(item, result, promptType, reviewedAt);
    }

private:
    FakeLearningItemStore &m_store;
};
