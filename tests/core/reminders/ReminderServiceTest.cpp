#include "reminders/ReminderService.h"

#include "reminders/ReminderError.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "support/fakes/InMemoryReminderNotificationCenter.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Kind = ReminderError::Kind;
using Frequency = RecommendationFrequency;

// One centre through a sequence of settings changes; after each, exactly the requests listed
// are pending, and permission was asked only where said.
TEST(ReminderServiceTest, EachChangeLeavesExactlyItsRequestsAndAsksOnlyWhenSwitchingOn)
{
    InMemoryReminderNotificationCenter center;
    ReminderService service(center);
    const QString review = ReminderService::dailyReviewIdentifier();
    const auto recommendation = [](const char *suffix) {
        return ReminderService::recommendationIdentifierPrefix() + QLatin1String(suffix);
    };
    const struct {
        const char *name;
        std::function<void()> setUp;
        std::function<QCoro::Task<void>()> change;
        QStringList pending;
        bool asks;
        std::optional<Kind> failure;
    } steps[] = {
        {"weekdays", {}, [&] { return service.configureRecommendationReminder(true, Frequency::weekdays, 8, 15); },
         {recommendation("2"), recommendation("3"), recommendation("4"), recommendation("5"), recommendation("6")},
         true, std::nullopt},
        {"weekly replaces them", {}, [&] { return service.configureRecommendationReminder(true, Frequency::weekly, 8, 15); },
         {recommendation("2")}, true, std::nullopt},
        {"daily", {}, [&] { return service.configureRecommendationReminder(true, Frequency::daily, 8, 15); },
         {recommendation("daily")}, true, std::nullopt},
        {"review, twice", {}, [&]() -> QCoro::Task<void> {
             co_await service.configureDailyReminder(true, 20, 30);
             co_await service.configureDailyReminder(true, 20, 30);
         },
         {recommendation("daily"), review}, true, std::nullopt},
        {"refused: disabling still works", [&] { center.granted = false; },
         [&] { return service.configureRecommendationReminder(false, Frequency::weekdays, 8, 15); }, {review}, false,
         std::nullopt},
        {"refused: the review reminder", {}, [&]() -> QCoro::Task<void> {
             co_await service.configureDailyReminder(false, 20, 30);
             co_await service.configureDailyReminder(true, 20, 30);
         },
         {}, true, Kind::permissionDenied},
        {"refused: the article reminder", {}, [&] { return service.configureRecommendationReminder(true, Frequency::daily, 8, 15); },
         {}, true, Kind::permissionDenied},
        {"asking fails", [&] { center.granted = true, center.authorizationFails = true; },
         [&] { return service.configureDailyReminder(true, 20, 30); }, {}, true, Kind::permissionRequestFailed},
    };
    for (const auto &step : steps) {
        if (step.setUp)
            step.setUp();
        const qsizetype asked = center.authorizationRequests.size();
        std::optional<Kind> failure;
        try {
            waitForTask(step.change());
        } catch (const ReminderError &error) {
            failure = error.kind();
        }
        EXPECT_EQ(failure, step.failure) << step.name;
        EXPECT_EQ(center.pendingIdentifiers(), step.pending) << step.name;
        EXPECT_EQ(center.authorizationRequests.size() > asked, step.asks) << step.name;
    }
    EXPECT_EQ(center.authorizationRequests.value(0),
              ReminderNotificationCenter::alert | ReminderNotificationCenter::sound | ReminderNotificationCenter::badge);
}

TEST(ReminderServiceTest, ArticleRemindersCarryTheirRouteAndAFailedAddKeepsTheEarlierDays)
{
    InMemoryReminderNotificationCenter center;
    ReminderService service(center);
    waitForTask(service.configureRecommendationReminder(true, Frequency::daily, 7, 5));
    ASSERT_EQ(center.pending.size(), 1);
    EXPECT_EQ(center.pending[0].trigger, (ReminderCalendarTrigger{7, 5, std::nullopt}));
    EXPECT_EQ(center.pending[0].content.userInfo.value(ReminderService::routeKey()),
              ReminderService::dailyRecommendationRoute());

    center.failingAdd = center.adds + 3;
    EXPECT_THROW(waitForTask(service.configureRecommendationReminder(true, Frequency::weekdays, 7, 5)),
                 std::runtime_error)
        << "the centre's own error, unchanged";
    ASSERT_EQ(center.pending.size(), 2);
    EXPECT_EQ(center.pending[1].trigger, (ReminderCalendarTrigger{7, 5, 3}));
}

} // namespace
