#include "platform/dbus/DBusSingleInstanceService.h"

#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <QTimer>
#include <QUuid>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using RequestError = DBusSingleInstanceService::RequestError;

namespace {

// A name of its own per test, so that a tray application running in the same session cannot
// interfere; private connections play the processes.
class DBusSingleInstanceServiceTest : public ::testing::Test {
protected:
    std::unique_ptr<DBusSingleInstanceService> instance(const QString &connection)
    {
        return std::make_unique<DBusSingleInstanceService>(
            [this, connection](const QString &what) -> std::optional<QString> {
                received.append(connection + ':' + what);
                return what == "daily" ? std::optional<QString>(QStringLiteral("refused")) : std::nullopt;
            },
            [connection] { return connection; }, name, connection);
    }
    RequestError::Kind failureOfOpen(const QString &what)
    {
        try {
            waitForTask(DBusSingleInstanceService::requestOpen(what, 2s, name));
        } catch (const RequestError &error) {
            message = error.message();
            return error.kind();
        }
        ADD_FAILURE() << "the request passed for done";
        return {};
    }

    QString name = QStringLiteral("com.rarozezev.Test.i") + QUuid::createUuid().toString(QUuid::Id128);
    QStringList received;
    QString message;
};

TEST_F(DBusSingleInstanceServiceTest, RequestsReachTheRunningInstanceAndItsRefusalsComeBack)
{
    EXPECT_EQ(failureOfOpen(QStringLiteral("lookup")), RequestError::Kind::noReply);
    EXPECT_FALSE(waitForTask(DBusSingleInstanceService::waitForInstance(100ms, name)));

    auto late = instance(QStringLiteral("late"));
    QTimer::singleShot(100ms, [&] { late->claim(); });
    EXPECT_TRUE(waitForTask(DBusSingleInstanceService::waitForInstance(5s, name)));
    waitForTask(DBusSingleInstanceService::requestOpen(QStringLiteral("lookup"), 5s, name));
    EXPECT_EQ(received, QStringList{QStringLiteral("late:lookup")});
    EXPECT_EQ(waitForTask(DBusSingleInstanceService::requestLookupPanelStatus(5s, name)), QStringLiteral("late"));
    EXPECT_EQ(failureOfOpen(QStringLiteral("daily")), RequestError::Kind::rejected);
    EXPECT_EQ(message, QStringLiteral("refused")) << "the running instance's own reason";
}

} // namespace
