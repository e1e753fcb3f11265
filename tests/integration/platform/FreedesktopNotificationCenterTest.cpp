#include "platform/dbus/FreedesktopNotificationCenter.h"

#include "preferences/SQLiteUserDefaults.h"
#include "reminders/ReminderService.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <QCoroTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

bool eventually(const std::function<bool()> &condition)
{
    for (int i = 0; i < 300 && !condition(); ++i)
        waitForTask(QCoro::sleepFor(10ms));
    return condition();
}

// A notification server of our own: answers GetServerInformation, records what Notify shows.
class StandInNotificationServer : public QDBusVirtualObject {
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() == QLatin1String("Notify")) {
            shown.append(message.arguments());
            connection.send(message.createReply(QVariant::fromValue(uint(shown.size()))));
        } else {
            connection.send(message.createReply(QVariantList{QStringLiteral("stand-in"), QStringLiteral("test"),
                                                             QStringLiteral("1"), QStringLiteral("1.2")}));
        }
        return true;
    }
    QList<QVariantList> shown;
};

// Each test runs its own bus, on which nobody serves notifications until the test says so.
class FreedesktopNotificationCenterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No service directories: nothing can be started on demand (the system's notification
        // daemon would be).
        QFile config(home.filePath(QStringLiteral("bus.conf")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                     "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                     "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        config.close();
        bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config.fileName(),
                                                  QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        ASSERT_TRUE(bus.waitForReadyRead(5000)) << "dbus-daemon did not start";
        address = QString::fromUtf8(bus.readLine().trimmed());
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(serverConnection);
        bus.kill();
        bus.waitForFinished();
    }

    void serveNotifications()
    {
        QDBusConnection connection = QDBusConnection::connectToBus(address, serverConnection);
        ASSERT_TRUE(connection.registerVirtualObject(kPath, &server));
        ASSERT_TRUE(connection.registerService(FreedesktopNotificationCenter::serviceName()));
    }
    void invokeAction(uint id, const QString &action)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("ActionInvoked"));
        signal.setArguments({id, action});
        QDBusConnection(serverConnection).send(signal);
    }
    // A clock that runs from `start` in Berlin.
    std::unique_ptr<FreedesktopNotificationCenter> center(QDateTime start)
    {
        auto elapsed = std::make_shared<QElapsedTimer>();
        elapsed->start();
        ReminderClock clock{[start, elapsed] { return start.addMSecs(elapsed->elapsed()); },
                            [] { return QTimeZone("Europe/Berlin"); }};
        return std::make_unique<FreedesktopNotificationCenter>(
            defaults, FreedesktopNotificationCenter::Options{QStringLiteral("英语助手"), QStringLiteral("app-icon"),
                                                             address, clock});
    }
    static QDateTime berlin(int day, int hour, int minute, int second, int millisecond = 0)
    {
        return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second, millisecond), QTimeZone("Europe/Berlin"));
    }

    QProcess bus;
    QString address;
    QString serverConnection = QStringLiteral("stand-in-") + QUuid::createUuid().toString(QUuid::Id128);
    StandInNotificationServer server;
    QTemporaryDir home;
    SQLiteUserDefaults defaults{home.filePath(QStringLiteral("UserDefaults.sqlite3"))};
};

TEST_F(FreedesktopNotificationCenterTest, WithoutAServerNotificationsAreRefused)
{
    auto notifications = center(berlin(7, 8, 0, 0));
    EXPECT_FALSE(waitForTask(notifications->requestAuthorization(ReminderNotificationCenter::alert)));
}

TEST_F(FreedesktopNotificationCenterTest, AReminderShowsAtItsMinuteAClickRoutesItAndAMissedOneComesAfterARestart)
{
    serveNotifications();
    auto notifications = center(berlin(7, 8, 14, 59, 700));
    ReminderService service(*notifications);
    waitForTask(service.configureRecommendationReminder(true, RecommendationFrequency::weekly, 8, 15));
    QList<QVariantMap> opened;
    QObject::connect(notifications.get(), &FreedesktopNotificationCenter::notificationOpened,
                     [&](const QVariantMap &userInfo) { opened.append(userInfo); });
    notifications->startDelivering();
    EXPECT_EQ(notifications->nextFiring(), berlin(7, 8, 15, 0));
    EXPECT_TRUE(server.shown.isEmpty()) << "not before its minute";

    ASSERT_TRUE(eventually([&] { return !server.shown.isEmpty(); }));
    const QVariantList shown = server.shown[0];
    EXPECT_EQ(shown.value(0).toString(), QStringLiteral("英语助手"));
    EXPECT_EQ(shown.value(2).toString(), QStringLiteral("app-icon"));
    EXPECT_EQ(shown.value(3).toString(), QStringLiteral("今日英文推荐"));
    EXPECT_EQ(shown.value(4).toString(), QStringLiteral("点击生成并阅读一篇适合你当前难度的英文文章，学习重点表达。"));
    EXPECT_TRUE(shown.value(5).toStringList().contains(QStringLiteral("default")));
    EXPECT_EQ(notifications->nextFiring(), berlin(14, 8, 15, 0));

    invokeAction(99, QStringLiteral("default"));
    invokeAction(1, QStringLiteral("default"));
    ASSERT_TRUE(eventually([&] { return !opened.isEmpty(); }));
    waitForTask(QCoro::sleepFor(50ms));
    ASSERT_EQ(opened.size(), 1) << "a notification not ours is none of our business";
    EXPECT_EQ(opened[0].value(ReminderService::routeKey()).toString(), ReminderService::dailyRecommendationRoute());

    // The program was not running over the following Monday's minute and starts 35 minutes
    // after it: the reminder comes once.
    notifications.reset();
    auto restarted = center(berlin(14, 8, 50, 0));
    restarted->startDelivering();
    ASSERT_TRUE(eventually([&] { return server.shown.size() == 2; }));
    waitForTask(QCoro::sleepFor(100ms));
    EXPECT_EQ(server.shown.size(), 2);
    EXPECT_EQ(restarted->nextFiring(), berlin(21, 8, 15, 0));
}

} // namespace
