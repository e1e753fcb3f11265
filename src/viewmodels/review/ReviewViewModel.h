#pragma once

#include "collection/LearningItem.h"
#include "collection/LearningItemType.h"
#include "review/ReviewPromptType.h"
#include "review/ReviewResult.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class ReviewLearningItemStoring;

// One review session: the items due when it was loaded, the one being asked, whether its
// explanation is shown, and the last failure. The queue is fetched once per load, so an
// item answered "forgot" does not come back until the next load.
class ReviewViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<std::shared_ptr<LearningItem>> dueItems READ dueItems NOTIFY dueItemsChanged)
    Q_PROPERTY(int currentIndex READ currentIndex NOTIFY currentIndexChanged)
    Q_PROPERTY(bool answerVisible READ answerVisible WRITE setAnswerVisible NOTIFY answerVisibleChanged)
    Q_PROPERTY(std::optional<QString> errorMessage READ errorMessage NOTIFY errorMessageChanged)

public:
    // Returns a uniformly drawn integer in [0, bound).
    using RandomSource = std::function<int(int bound)>;
    using Clock = std::function<QDateTime()>;

    // Empty functions take the system's random generator and the current time.
    explicit ReviewViewModel(RandomSource random = {}, Clock now = {}, QObject *parent = nullptr);

    const QList<std::shared_ptr<LearningItem>> &dueItems() const { return m_dueItems; }
    int currentIndex() const { return m_currentIndex; }
    bool answerVisible() const { return m_answerVisible; }
    // The view reveals the explanation with this ("显示答案").
    void setAnswerVisible(bool visible);
    std::optional<QString> errorMessage() const { return m_errorMessage; }
    // The item being asked; none when the queue is empty or finished.
    std::shared_ptr<LearningItem> currentItem() const;

    // The prompt types an answer for an item of this type may be recorded under.
    static QList<ReviewPromptType> promptTypes(LearningItemType type);
    // One of promptTypes(type), drawn with `random` (the system's generator when empty);
    // every recorded answer, here or from the command line, is filed under such a draw.
    static ReviewPromptType drawPromptType(LearningItemType type, const RandomSource &random = {});

    // Starts the session over with the items due now.
    void load(ReviewLearningItemStoring &store);
    // Records the answer for the current item and moves to the next; on failure the same
    // item stays up so it can be answered again.
    void submit(ReviewResult result, ReviewLearningItemStoring &store);
    // "记住，下一个": an easy answer without revealing the explanation.
    void rememberAndAdvance(ReviewLearningItemStoring &store);

signals:
    void dueItemsChanged();
    void currentIndexChanged();
    void answerVisibleChanged();
    void errorMessageChanged();

private:
    void setQueue(QList<std::shared_ptr<LearningItem>> items);
    void setCurrentIndex(int index);
    void setErrorMessage(std::optional<QString> message);

    RandomSource m_random;
    Clock m_now;
    QList<std::shared_ptr<LearningItem>> m_dueItems;
    int m_currentIndex = 0;
    bool m_answerVisible = false;
    std::optional<QString> m_errorMessage;
};
