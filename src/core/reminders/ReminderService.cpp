#include "reminders/ReminderService.h"

#include "reminders/ReminderError.h"
#include "reminders/ReminderNotificationCenter.h"

namespace {

QString recommendationSuffix(std::optional<int> weekday)
{
    return weekday ? QString::number(*weekday) : QStringLiteral("daily");
}

} // namespace

ReminderService::ReminderService(ReminderNotificationCenter &notificationCenter)
    : m_notificationCenter(notificationCenter)
{
}

QStringList ReminderService::allRecommendationIdentifiers()
{
    QStringList identifiers{recommendationIdentifierPrefix() + recommendationSuffix(std::nullopt)};
    for (int weekday = 2; weekday <= 6; ++weekday)
        identifiers.append(recommendationIdentifierPrefix() + recommendationSuffix(weekday));
    return identifiers;
}

QCoro::Task<void> ReminderService::requireAuthorization()
{
    bool granted = false;
    try {
        granted = co_await m_notificationCenter.requestAuthorization(ReminderNotificationCenter::alert
                                                                     | ReminderNotificationCenter::sound
                                                                     | ReminderNotificationCenter::badge);
    } catch (...) {
        throw ReminderError(ReminderError::Kind::permissionRequestFailed);
    }
    if (!granted)
        throw ReminderError(ReminderError::Kind::permissionDenied);
}

QCoro::Task<void> ReminderService::configureDailyReminder(bool enabled, int hour, int minute)
{
    if (!enabled) {
        cancelDailyReminder();
        co_return;
    }
    co_await requireAuthorization();
    co_await scheduleDailyReminder(hour, minute);
}

QCoro::Task<void> ReminderService::scheduleDailyReminder(int hour, int minute)
{
    cancelDailyReminder();
    ReminderRequest request{dailyReviewIdentifier(),
                            {QStringLiteral("英语复习时间到了"), QStringLiteral("打开英语助手，复习今天到期的收藏内容。"),
                             true, {}},
                            {hour, minute, std::nullopt}};
    co_await m_notificationCenter.add(std::move(request));
}

void ReminderService::cancelDailyReminder()
{
    m_notificationCenter.removePendingNotificationRequests({dailyReviewIdentifier()});
}

void ReminderService::cancelRecommendationReminders()
{
    m_notificationCenter.removePendingNotificationRequests(allRecommendationIdentifiers());
}

QCoro::Task<void> ReminderService::configureRecommendationReminder(bool enabled, RecommendationFrequency frequency,
                                                                   int hour, int minute)
{
    // Always first: a change of frequency must leave no request of the old one behind.
    cancelRecommendationReminders();
    if (!enabled)
        co_return;
    co_await requireAuthorization();
    for (std::optional<int> weekday : scheduledWeekdays(frequency)) {
        ReminderRequest request{
            recommendationIdentifierPrefix() + recommendationSuffix(weekday),
            {QStringLiteral("今日英文推荐"), QStringLiteral("点击生成并阅读一篇适合你当前难度的英文文章，学习重点表达。"),
             true, QVariantMap{{routeKey(), dailyRecommendationRoute()}}},
            {hour, minute, weekday}};
        // One at a time: a failure stops here and leaves the earlier days scheduled.
        co_await m_notificationCenter.add(std::move(request));
    }
}
