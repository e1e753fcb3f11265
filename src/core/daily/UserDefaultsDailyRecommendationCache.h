#pragma once

#include "daily/DailyRecommendationCaching.h"

#include <QString>
#include <QTimeZone>

#include <functional>

class UserDefaults;

// The articles in the user defaults: each day's newest article per difficulty as JSON under
// "dailyRecommendation.v1.<year>-<month>-<day>.<difficulty>" (never deleted), and the
// history as one JSON array under "dailyRecommendation.history.v1", pruned to seven days on
// every write. Articles that only a per-day record holds (written before there was a
// history) are adopted into it once. The read-modify-write of the history is not atomic:
// one writer at a time. The store must outlive the cache.
class UserDefaultsDailyRecommendationCache : public DailyRecommendationCaching {
public:
    using Clock = std::function<QDateTime()>;

    static inline const QString historyKey = QStringLiteral("dailyRecommendation.history.v1");
    static constexpr int historyDayCount = 7;

    // Days are those of `timeZone`; `now` stamps new history items (empty: the current time).
    explicit UserDefaultsDailyRecommendationCache(UserDefaults &userDefaults,
                                                  QTimeZone timeZone = QTimeZone::systemTimeZone(), Clock now = {});

    std::optional<DailyRecommendation> recommendation(const QDateTime &date,
                                                      RecommendationDifficulty difficulty) const override;
    void store(const DailyRecommendation &recommendation, const QDateTime &date,
               RecommendationDifficulty difficulty) override;
    QList<DailyRecommendationHistoryItem> recentRecommendations(const QDateTime &date, int dayCount) override;

    // "2026-3-7": the day without leading zeros.
    QString dayKey(const QDate &day) const;
    // "2026-3-7.beginner".
    QString historyID(const QDate &day, RecommendationDifficulty difficulty) const;
    QString recommendationKey(const QDate &day, RecommendationDifficulty difficulty) const;
    // The items of the `dayCount` days up to and including `date`'s, in their order.
    QList<DailyRecommendationHistoryItem> pruned(const QList<DailyRecommendationHistoryItem> &items,
                                                 const QDateTime &date, int dayCount) const;

private:
    QDate day(const QDateTime &date) const;
    std::optional<DailyRecommendation> recommendation(const QDate &day, RecommendationDifficulty difficulty) const;
    // Empty when absent or unreadable.
    QList<DailyRecommendationHistoryItem> storedHistory() const;
    void storeHistory(const QList<DailyRecommendationHistoryItem> &items);

    UserDefaults &m_userDefaults;
    QTimeZone m_timeZone;
    Clock m_now;
};
