#include "reminders/ReminderService.h"

#include "reminders/ReminderError.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "support/fakes/InMemoryReminderNotificationCenter.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Frequency = RecommendationFrequency;

// One centre through a sequence of settings changes: after each, exactly the requests listed
// are pending, permission was asked only where said, and the failure is the one expected.
TEST(ReminderServiceTest, EachChangeLeavesExactlyItsRequestsAndAsksOnlyWhenSwitchingOn)
{
    InMemoryReminderNotificationCenter center;
    ReminderService service(center);
    const QString review = ReminderService::dailyReviewIdentifier();
    const auto article = [](const char *suffix) {
        return ReminderService::recommendationIdentifierPrefix() + QLatin1String(suffix);
    };
    const auto articles = [&](Frequency frequency, bool enabled = true) {
        return service.configureRecommendationReminder(enabled, frequency, 8, 15);
    };
    const struct {
        const char *name;
        std::function<void()> setUp;
        std::function<QCoro::Task<void>()> change;
        QStringList pending;
        bool asks;
        const char *failure;
    } steps[] = {
        {"weekdays", {}, [&] { return articles(Frequency::weekdays); },
         {article("2"), article("3"), article("4"), article("5"), article("6")}, true, nullptr},
        {"weekly replaces them", {}, [&] { return articles(Frequency::weekly); }, {article("2")}, true, nullptr},
        {"daily", {}, [&] { return articles(Frequency::daily); }, {article("daily")}, true, nullptr},
        {"review, twice", {}, [&]() -> QCoro::Task<void> {
             co_await service.configureDailyReminder(true, 20, 30);
             co_await service.configureDailyReminder(true, 20, 30);
         },
         {article("daily"), review}, true, nullptr},
        {"a failed add keeps the days before", [&] { center.failingAdd = center.adds + 3; },
         [&] { return articles(Frequency::weekdays); }, {review, article("2"), article("3")}, true, "disk full"},
        {"refused: disabling still works", [&] { center.granted = false; },
         [&] { return articles(Frequency::weekdays, false); }, {review}, false, nullptr},
        {"refused: the review reminder", {}, [&]() -> QCoro::Task<void> {
             co_await service.configureDailyReminder(false, 20, 30);
             co_await service.configureDailyReminder(true, 20, 30);
         },
         {}, true, "permissionDenied"},
        {"refused: the article reminder", {}, [&] { return articles(Frequency::daily); }, {}, true, "permissionDenied"},
        {"asking fails", [&] { center.granted = true, center.authorizationFails = true; },
         [&] { return service.configureDailyReminder(true, 20, 30); }, {}, true, "permissionRequestFailed"},
    };
    for (const auto &step : steps) {
        if (step.setUp)
            step.setUp();
        const qsizetype asked = center.authorizationRequests.size();
        QString failure;
        try {
            waitForTask(step.change());
        } catch (const std::exception &error) {
            failure = QString::fromUtf8(error.what());
        }
        EXPECT_EQ(failure, QString::fromUtf8(step.failure)) << step.name;
        EXPECT_EQ(center.pendingIdentifiers(), step.pending) << step.name;
        EXPECT_EQ(center.authorizationRequests.size() > asked, step.asks) << step.name;
        for (const ReminderRequest &request : center.pending) {
            const ReminderCalendarTrigger &trigger = request.trigger;
            const bool isReview = request.identifier == review;
            if (!isReview) {
                EXPECT_EQ(request.identifier, article(trigger.weekday ? QByteArray::number(*trigger.weekday) : "daily"))
                    << step.name;
            }
            EXPECT_EQ(std::pair(trigger.hour, trigger.minute), isReview ? std::pair(20, 30) : std::pair(8, 15));
        }
    }
    EXPECT_EQ(center.authorizationRequests.value(0),
              ReminderNotificationCenter::alert | ReminderNotificationCenter::sound | ReminderNotificationCenter::badge);
}

} // namespace
