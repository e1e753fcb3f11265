#include "viewmodels/daily/DailyRecommendationDateFormat.h"

namespace {

bool isChinese(const QLocale &locale) { return locale.language() == QLocale::Chinese; }

} // namespace

QString DailyRecommendationDateFormat::fullDate(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, isChinese(locale) ? QStringLiteral("yyyy年M月d日 ddd") : QStringLiteral("ddd, MMM d, yyyy"));
}

QString DailyRecommendationDateFormat::day(const QDate &date, const QLocale &locale)
{
    return locale.toString(date, isChinese(locale) ? QStringLiteral("M月d日 ddd") : QStringLiteral("ddd, MMM d"));
}

QString DailyRecommendationDateFormat::time(const QTime &time, const QLocale &locale)
{
    // Some locales' short format carries seconds, which a list of articles has no use for.
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QStringLiteral(":ss"));
    return locale.toString(time, format);
}
