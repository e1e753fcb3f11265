#pragma once

#include "collection/LearningItem.h"

#include <QDateTime>
#include <QTimeZone>

#include <memory>

inline QDateTime utcDate(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc());
}

// A reviewed word with every optional field set.
inline std::shared_ptr<LearningItem> reviewedWord()
{
    auto item = std::make_shared<LearningItem>(
        QUuid::fromString(QStringLiteral("{6f1c2a3b-4d5e-4f60-8a9b-0c1d2e3f4a5b}")), QStringLiteral("serendipity"),
        LearningItemType::word, QStringLiteral("Reader"), QStringLiteral("Chapter 1"), QStringLiteral("It was pure"),
        QStringLiteral("that we met."), QStringLiteral("### 释义\n\n意外发现珍宝的运气"),
        QStringList{QStringLiteral("A happy serendipity."), QStringLiteral("Pure serendipity.")},
        QStringList{QStringLiteral("GRE"), QStringLiteral("美好")}, Familiarity::learning, utcDate(2025, 3, 1, 12, 30, 0),
        utcDate(2025, 3, 2, 8, 0, 5), utcDate(2025, 3, 2, 8, 0, 5), utcDate(2025, 3, 4, 8, 0, 5), 2.36, 0);
    item->reviewCount = 3;
    item->errorCount = 1;
    return item;
}

// A phrase saved from the lookup panel and never reviewed: no optional fields at all.
inline std::shared_ptr<LearningItem> newPhrase()
{
    return std::make_shared<LearningItem>(
        QUuid::fromString(QStringLiteral("{00000000-0000-4000-8000-00000000000a}")), QStringLiteral("give up"),
        LearningItemType::phrase, std::nullopt, std::nullopt, std::nullopt, std::nullopt, QStringLiteral("放弃"),
        QStringList{}, QStringList{}, Familiarity::new_, utcDate(2025, 3, 1, 9, 0, 0), utcDate(2025, 3, 1, 9, 0, 0),
        std::nullopt, utcDate(2025, 3, 1, 10, 0, 0), 2.5, 0);
}
