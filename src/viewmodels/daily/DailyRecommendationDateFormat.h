#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// The dates and times of the daily reader in the learner's locale: Chinese locales write
// them the Chinese way ("2026年3月7日 周六"), others with the locale's abbreviated names.
class DailyRecommendationDateFormat {
public:
    DailyRecommendationDateFormat() = delete;

    // Year, abbreviated month, day and abbreviated weekday: the article's subtitle.
    static QString fullDate(const QDate &date, const QLocale &locale = QLocale());
    // Abbreviated month, day and abbreviated weekday: a day of the history.
    static QString day(const QDate &date, const QLocale &locale = QLocale());
    // Hour and minute, with the locale's am/pm marker where it uses one.
    static QString time(const QTime &time, const QLocale &locale = QLocale());
};
