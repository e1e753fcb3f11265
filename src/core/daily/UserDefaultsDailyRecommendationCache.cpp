#include "daily/UserDefaultsDailyRecommendationCache.h"

#include "preferences/UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

#include <algorithm>
#include <new>

namespace {

// Later days first; within a day the later stored first (adopted ones, without a time,
// last), and items stored at the same moment by difficulty name.
bool isListedBefore(const DailyRecommendationHistoryItem &a, const DailyRecommendationHistoryItem &b)
{
    if (a.date != b.date)
        return a.date > b.date;
    if (a.createdAt == b.createdAt)
        return rawValue(a.difficulty) < rawValue(b.difficulty);
    if (!a.createdAt || !b.createdAt)
        return a.createdAt.has_value();
    return *a.createdAt > *b.createdAt;
}

} // namespace

UserDefaultsDailyRecommendationCache::UserDefaultsDailyRecommendationCache(UserDefaults &userDefaults,
                                                                           QTimeZone timeZone, Clock now)
    : m_userDefaults(userDefaults), m_timeZone(std::move(timeZone)), m_now(std::move(now))
{
    if (!m_now)
        m_now = [] { return QDateTime::currentDateTimeUtc(); };
}

QDate UserDefaultsDailyRecommendationCache::day(const QDateTime &date) const
{
    return date.toTimeZone(m_timeZone).date();
}

QString UserDefaultsDailyRecommendationCache::dayKey(const QDate &day) const
{
    if (!day.isValid())
        return QStringLiteral("0-0-0");
    return QStringLiteral("%1-%2-%3").arg(day.year()).arg(day.month()).arg(day.day());
}

QString UserDefaultsDailyRecommendationCache::historyID(const QDate &day, RecommendationDifficulty difficulty) const
{
    return dayKey(day) + u'.' + rawValue(difficulty);
}

QString UserDefaultsDailyRecommendationCache::recommendationKey(const QDate &day,
                                                                RecommendationDifficulty difficulty) const
{
    return QStringLiteral("dailyRecommendation.v1.") + historyID(day, difficulty);
}

std::optional<DailyRecommendation> UserDefaultsDailyRecommendationCache::recommendation(
    const QDateTime &date, RecommendationDifficulty difficulty) const
{
    return recommendation(day(date), difficulty);
}

std::optional<DailyRecommendation> UserDefaultsDailyRecommendationCache::recommendation(
    const QDate &day, RecommendationDifficulty difficulty) const
{
    const std::optional<QByteArray> data = m_userDefaults.dataValue(recommendationKey(day, difficulty));
    if (!data)
        return std::nullopt;
    try {
        return DailyRecommendation::fromJSONData(*data);
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

void UserDefaultsDailyRecommendationCache::store(const DailyRecommendation &recommendation, const QDateTime &date,
                                                 RecommendationDifficulty difficulty)
{
    const QDate storedDay = day(date);
    m_userDefaults.setData(recommendationKey(storedDay, difficulty), recommendation.toJSONData());
    QList<DailyRecommendationHistoryItem> history = storedHistory();
    history.append({QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(), storedDay.startOfDay(m_timeZone),
                    m_now(), difficulty, recommendation});
    storeHistory(pruned(history, date, historyDayCount));
}

QList<DailyRecommendationHistoryItem> UserDefaultsDailyRecommendationCache::recentRecommendations(const QDateTime &date,
                                                                                                 int dayCount)
{
    if (dayCount < 1)
        return {};
    const QList<DailyRecommendationHistoryItem> stored = storedHistory();
    QList<DailyRecommendationHistoryItem> history = stored;
    const QDate today = day(date);
    for (int offset = 0; offset < dayCount; ++offset) {
        const QDate recordDay = today.addDays(-offset);
        if (!recordDay.isValid())
            continue;
        for (RecommendationDifficulty difficulty : kAllRecommendationDifficulties) {
            const std::optional<DailyRecommendation> record = recommendation(recordDay, difficulty);
            if (!record)
                continue;
            const bool listed = std::any_of(history.cbegin(), history.cend(), [&](const auto &item) {
                return day(item.date) == recordDay && item.difficulty == difficulty && item.recommendation == *record;
            });
            if (!listed)
                history.append({QStringLiteral("legacy.") + historyID(recordDay, difficulty),
                                recordDay.startOfDay(m_timeZone), std::nullopt, difficulty, *record});
        }
    }
    QList<DailyRecommendationHistoryItem> result = pruned(history, date, dayCount);
    if (result != stored)
        storeHistory(result);
    std::stable_sort(result.begin(), result.end(), isListedBefore);
    return result;
}

QList<DailyRecommendationHistoryItem> UserDefaultsDailyRecommendationCache::pruned(
    const QList<DailyRecommendationHistoryItem> &items, const QDateTime &date, int dayCount) const
{
    if (dayCount < 1)
        return {};
    const QDate today = day(date);
    const QDateTime start = today.addDays(-(dayCount - 1)).startOfDay(m_timeZone);
    const QDateTime end = today.addDays(1).startOfDay(m_timeZone);
    if (!start.isValid() || !end.isValid())
        return {};
    QList<DailyRecommendationHistoryItem> kept;
    for (const DailyRecommendationHistoryItem &item : items) {
        if (item.date >= start && item.date < end)
            kept.append(item);
    }
    return kept;
}

QList<DailyRecommendationHistoryItem> UserDefaultsDailyRecommendationCache::storedHistory() const
{
    const std::optional<QByteArray> data = m_userDefaults.dataValue(historyKey);
    if (!data)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(*data);
    if (!document.isArray())
        return {};
    QList<DailyRecommendationHistoryItem> items;
    try {
        const QJsonArray array = document.array();
        for (qsizetype i = 0; i < array.size(); ++i) {
            if (!array[i].isObject())
                return {};
            items.append(DailyRecommendationHistoryItem::fromJSON(array[i].toObject(), {QString::number(i)}));
        }
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &) {
        // One broken item makes the whole list unreadable; the next write replaces it.
        return {};
    }
    return items;
}

void UserDefaultsDailyRecommendationCache::storeHistory(const QList<DailyRecommendationHistoryItem> &items)
{
    QJsonArray array;
    for (const DailyRecommendationHistoryItem &item : items)
        array.append(item.toJSON());
    m_userDefaults.setData(historyKey, QJsonDocument(array).toJson(QJsonDocument::Compact));
}
