#include "platform/dbus/DBusSingleInstanceService.h"

#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <QCoroTimer>
#include <QTimer>
#include <QUuid>

#include <gtest/gtest.h>

#include <optional>

using namespace std::chrono_literals;
using ClaimResult = DBusSingleInstanceService::ClaimResult;
using RequestError = DBusSingleInstanceService::RequestError;

namespace {

// A name of its own per test, so a tray application running in the same session (or an
// earlier test) cannot interfere; two private connections play two processes.
class DBusSingleInstanceServiceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DBusSingleInstanceService::isSessionBusAvailable()); }

    std::unique_ptr<DBusSingleInstanceService> instance(const QString &connection)
    {
        return std::make_unique<DBusSingleInstanceService>(
            [this, connection](const QString &what) -> std::optional<QString> {
                received.append(connection + QLatin1Char(':') + what);
                if (what == QLatin1String("daily"))
                    return QStringLiteral("还没有这个窗口。");
                return std::nullopt;
            },
            [connection] { return QStringLiteral("{\"from\":\"%1\"}").arg(connection); }, name, connection);
    }

    QString name = QStringLiteral("com.rarozezev.Test.i") + QUuid::createUuid().toString(QUuid::Id128);
    QStringList received;
};

} // namespace

TEST_F(DBusSingleInstanceServiceTest, OnlyTheFirstInstanceOwnsTheNameUntilItGoesAway)
{
    auto first = instance(QStringLiteral("first"));
    auto second = instance(QStringLiteral("second"));
    EXPECT_FALSE(DBusSingleInstanceService::isInstanceRunning(name));

    EXPECT_EQ(first->claim(), ClaimResult::claimed);
    EXPECT_TRUE(DBusSingleInstanceService::isInstanceRunning(name));
    EXPECT_EQ(second->claim(), ClaimResult::alreadyRunning);
    EXPECT_FALSE(second->isClaimed());

    first.reset();
    ASSERT_FALSE(DBusSingleInstanceService::isInstanceRunning(name));
    EXPECT_EQ(second->claim(), ClaimResult::claimed);
}

TEST_F(DBusSingleInstanceServiceTest, RequestsReachTheRunningInstanceAndItsRefusalsComeBack)
{
    auto running = instance(QStringLiteral("running"));
    ASSERT_EQ(running->claim(), ClaimResult::claimed);

    waitForTask(DBusSingleInstanceService::requestOpen(QStringLiteral("lookup"), 5s, name));
    EXPECT_EQ(received, QStringList{QStringLiteral("running:lookup")});
    EXPECT_EQ(waitForTask(DBusSingleInstanceService::requestLookupPanelStatus(5s, name)),
              QStringLiteral("{\"from\":\"running\"}"));

    try {
        waitForTask(DBusSingleInstanceService::requestOpen(QStringLiteral("daily"), 5s, name));
        ADD_FAILURE() << "a refused request passed for done";
    } catch (const RequestError &error) {
        EXPECT_EQ(error.kind(), RequestError::Kind::rejected);
        EXPECT_EQ(error.message(), QStringLiteral("还没有这个窗口。"));
    }
}

TEST_F(DBusSingleInstanceServiceTest, RequestsWithoutARunningInstanceFailAndWaitingEndsWhenOneAppears)
{
    try {
        waitForTask(DBusSingleInstanceService::requestOpen(QStringLiteral("lookup"), 2s, name));
        ADD_FAILURE() << "a request to nobody passed for done";
    } catch (const RequestError &error) {
        EXPECT_EQ(error.kind(), RequestError::Kind::noReply);
    }
    EXPECT_FALSE(waitForTask(DBusSingleInstanceService::waitForInstance(100ms, name)));

    auto late = instance(QStringLiteral("late"));
    QTimer::singleShot(100ms, [&] { late->claim(); });
    EXPECT_TRUE(waitForTask(DBusSingleInstanceService::waitForInstance(5s, name)));
    EXPECT_TRUE(late->isClaimed());
}
