#pragma once

#include "reminders/DailyRecommendationReminderConfiguring.h"
#include "reminders/DailyReviewReminderConfiguring.h"

#include <QCoroTask>
#include <QString>
#include <QStringList>

class ReminderNotificationCenter;

// Schedules the two reminders: the daily review reminder and the daily article reminder,
// each as repeating requests in the notification centre. Keeps no state of its own; every
// configure call first removes the requests it owns, so it may be repeated freely. The
// centre must outlive the service, and the service the calls it starts.
class ReminderService : public DailyReviewReminderConfiguring, public DailyRecommendationReminderConfiguring {
public:
    explicit ReminderService(ReminderNotificationCenter &notificationCenter);

    // Identifiers and routing of the requests; stored requests and clicks depend on them.
    static QString dailyReviewIdentifier() { return QStringLiteral("daily-review-reminder"); }
    static QString recommendationIdentifierPrefix() { return QStringLiteral("daily-recommendation-reminder-"); }
    static QString routeKey() { return QStringLiteral("route"); }
    static QString dailyRecommendationRoute() { return QStringLiteral("daily-recommendation"); }
    // Every identifier a recommendation frequency can create.
    static QStringList allRecommendationIdentifiers();

    QCoro::Task<void> configureDailyReminder(bool enabled, int hour, int minute) override;
    QCoro::Task<void> configureRecommendationReminder(bool enabled, RecommendationFrequency frequency, int hour,
                                                      int minute) override;

    // Replaces the pending review reminder by one at hour:minute; the centre's failure
    // passes unchanged.
    QCoro::Task<void> scheduleDailyReminder(int hour, int minute);
    void cancelDailyReminder();
    void cancelRecommendationReminders();

private:
    // Throws ReminderError unless alerts, sounds and badges are allowed.
    QCoro::Task<void> requireAuthorization();

    ReminderNotificationCenter &m_notificationCenter;
};
