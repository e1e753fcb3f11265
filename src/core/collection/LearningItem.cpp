#include "collection/LearningItem.h"

LearningItem::LearningItem(QUuid id_, QString text_, LearningItemType type_, std::optional<QString> sourceApp_,
                           std::optional<QString> sourceTitle_, std::optional<QString> contextBefore_,
                           std::optional<QString> contextAfter_, QString explanation_, QStringList examples_,
                           QStringList tags_, Familiarity familiarity_, QDateTime createdAt_,
                           QDateTime updatedAt_, std::optional<QDateTime> lastReviewedAt_,
                           QDateTime nextReviewAt_, double ease_, qint64 consecutiveCorrectCount_)
    : id(id_),
      text(std::move(text_)),
      typeRawValue(rawValue(type_)),
      sourceApp(std::move(sourceApp_)),
      sourceTitle(std::move(sourceTitle_)),
      contextBefore(std::move(contextBefore_)),
      contextAfter(std::move(contextAfter_)),
      explanation(std::move(explanation_)),
      examplesStorage(StringList{std::move(examples_)}),
      tagsStorage(StringList{std::move(tags_)}),
      familiarityRawValue(rawValue(familiarity_)),
      createdAt(std::move(createdAt_)),
      updatedAt(std::move(updatedAt_)),
      lastReviewedAt(std::move(lastReviewedAt_)),
      nextReviewAt(std::move(nextReviewAt_)),
      ease(ease_),
      consecutiveCorrectCount(consecutiveCorrectCount_)
{
}

LearningItemType LearningItem::type() const
{
    return learningItemTypeFromRawValue(typeRawValue).value_or(LearningItemType::word);
}

Familiarity LearningItem::familiarity() const
{
    return familiarityFromRawValue(familiarityRawValue).value_or(Familiarity::new_);
}

void LearningItem::setFamiliarity(Familiarity value) { familiarityRawValue = rawValue(value); }

QStringList LearningItem::examples() const { return examplesStorage ? examplesStorage->values : QStringList{}; }

QStringList LearningItem::tags() const { return tagsStorage ? tagsStorage->values : QStringList{}; }
