#include "daily/DailyRecommendationHistoryDay.h"

#include <algorithm>

QList<DailyRecommendationHistoryDay> DailyRecommendationHistoryDay::grouped(
    const QList<DailyRecommendationHistoryItem> &items, const QTimeZone &timeZone)
{
    QList<DailyRecommendationHistoryDay> days;
    for (const DailyRecommendationHistoryItem &item : items) {
        const QDateTime start = item.date.toTimeZone(timeZone).date().startOfDay(timeZone);
        auto day = std::find_if(days.begin(), days.end(), [&](const auto &candidate) { return candidate.date == start; });
        if (day == days.end())
            days.append({start, {item}});
        else
            day->items.append(item);
    }
    std::stable_sort(days.begin(), days.end(), [](const auto &a, const auto &b) { return a.date > b.date; });
    return days;
}
