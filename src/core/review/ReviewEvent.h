#pragma once

#include "review/ReviewPromptType.h"
#include "review/ReviewResult.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

// One entry of the review log. `itemId` is a plain value, not a link: events outlive
// the item they were recorded for.
struct ReviewEvent {
    ReviewEvent(QUuid id, QUuid itemId, QDateTime reviewedAt, ReviewResult result, ReviewPromptType promptType)
        : id(id), itemId(itemId), reviewedAt(std::move(reviewedAt)), resultRawValue(rawValue(result)),
          promptTypeRawValue(rawValue(promptType))
    {
    }

    QUuid id;
    QUuid itemId;
    QDateTime reviewedAt;
    QString resultRawValue;
    QString promptTypeRawValue;
};
