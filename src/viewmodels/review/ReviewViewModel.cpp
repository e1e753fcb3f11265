#include "viewmodels/review/ReviewViewModel.h"

#include "review/ReviewLearningItemStoring.h"

#include <QRandomGenerator>

#include <algorithm>

namespace {

const QString kLoadFailedMessage = QStringLiteral("待复习内容加载失败。");
const QString kSaveFailedMessage = QStringLiteral("复习结果保存失败。");

} // namespace

ReviewViewModel::ReviewViewModel(RandomSource random, Clock now, QObject *parent)
    : QObject(parent),
      m_random(std::move(random)),
      m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTimeUtc(); }))
{
}

void ReviewViewModel::setAnswerVisible(bool visible)
{
    if (visible == m_answerVisible) {
        return;
    }
    m_answerVisible = visible;
    emit answerVisibleChanged();
}

std::shared_ptr<LearningItem> ReviewViewModel::currentItem() const
{
    if (m_currentIndex < 0 || m_currentIndex >= m_dueItems.size()) {
        return nullptr;
    }
    return m_dueItems.at(m_currentIndex);
}

QList<ReviewPromptType> ReviewViewModel::promptTypes(LearningItemType type)
{
    // A sentence has no shorter target to hide in its context, and recalling the English from
    // the Chinese is not a question this window asks.
    switch (type) {
    case LearningItemType::word:
        return {ReviewPromptType::recallMeaning, ReviewPromptType::hideTargetInContext};
    case LearningItemType::phrase:
        return {ReviewPromptType::recallMeaning, ReviewPromptType::hideTargetInContext,
                ReviewPromptType::explainOrRewriteSentence};
    case LearningItemType::sentence:
        return {ReviewPromptType::recallMeaning, ReviewPromptType::explainOrRewriteSentence};
    }
    return {ReviewPromptType::recallMeaning};
}

void ReviewViewModel::load(ReviewLearningItemStoring &store)
{
    QList<std::shared_ptr<LearningItem>> loaded;
    std::optional<QString> failure;
    try {
        loaded = store.dueItems(m_now());
    } catch (...) {
        failure = kLoadFailedMessage;
    }
    setQueue(std::move(loaded));
    setCurrentIndex(0);
    setAnswerVisible(false);
    setErrorMessage(failure);
}

void ReviewViewModel::submit(ReviewResult result, ReviewLearningItemStoring &store)
{
    const std::shared_ptr<LearningItem> item = currentItem();
    if (!item) {
        return;
    }
    try {
        store.recordReview(item, result, drawPromptType(item->type(), m_random), m_now());
    } catch (...) {
        setErrorMessage(kSaveFailedMessage);
        return;
    }
    setErrorMessage(std::nullopt);
    setAnswerVisible(false);
    if (m_currentIndex + 1 >= m_dueItems.size()) {
        // The session is over even if the answer made the item due again soon.
        setQueue({});
        setCurrentIndex(0);
    } else {
        setCurrentIndex(m_currentIndex + 1);
    }
}

void ReviewViewModel::rememberAndAdvance(ReviewLearningItemStoring &store) { submit(ReviewResult::easy, store); }

ReviewPromptType ReviewViewModel::drawPromptType(LearningItemType type, const RandomSource &random)
{
    const QList<ReviewPromptType> choices = promptTypes(type);
    const int bound = static_cast<int>(choices.size());
    const int drawn = random ? random(bound) : QRandomGenerator::global()->bounded(bound);
    return choices.at(std::clamp(drawn, 0, bound - 1));
}

void ReviewViewModel::setQueue(QList<std::shared_ptr<LearningItem>> items)
{
    if (items.isEmpty() && m_dueItems.isEmpty()) {
        return;
    }
    m_dueItems = std::move(items);
    emit dueItemsChanged();
}

void ReviewViewModel::setCurrentIndex(int index)
{
    if (index == m_currentIndex) {
        return;
    }
    m_currentIndex = index;
    emit currentIndexChanged();
}

void ReviewViewModel::setErrorMessage(std::optional<QString> message)
{
    if (message == m_errorMessage) {
        return;
    }
    m_errorMessage = std::move(message);
    emit errorMessageChanged();
}
