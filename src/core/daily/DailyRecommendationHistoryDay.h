#pragma once

#include "daily/DailyRecommendationHistoryItem.h"

#include <QDateTime>
#include <QList>
#include <QTimeZone>

// The history items of one calendar day, as the reader's sidebar lists them.
struct DailyRecommendationHistoryDay {
    // The start of the day.
    QDateTime date;
    QList<DailyRecommendationHistoryItem> items;

    bool operator==(const DailyRecommendationHistoryDay &) const = default;

    // The items by their day in `timeZone`, newest day first; each day keeps the items in
    // the order given.
    static QList<DailyRecommendationHistoryDay> grouped(const QList<DailyRecommendationHistoryItem> &items,
                                                        const QTimeZone &timeZone);
};
