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

#include <QCoroTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

bool eventually(const std::function<bool()> &condition)
{
    for (int i = 0; i < 300 && !condition(); ++i)
        waitForTask(QCoro::sleepFor(10ms));
    return condition();
}

QDateTime berlin(int day, int hour, int minute, int second = 0, int millisecond = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second, millisecond), QTimeZone("Europe/Berlin"));
}

// A notification server of our own: answers GetServerInformation, records what Notify shows.
class StandInNotificationServer : public QDBusVirtualObject {
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() == QLatin1String("Notify"))
            shown.append(message.arguments());
        connection.send(message.createReply(QVariant::fromValue(uint(shown.size()))));
        return true;
    }
    QList<QVariantList> shown;
};

// On a bus of its own, with no service directories: nothing serves notifications, nor can be
// started on demand, until the stand-in takes the name.
TEST(FreedesktopNotificationCenterTest, AReminderShowsAtItsMinuteAndOnlyAClickOnItRoutesIt)
{
    QTemporaryDir home;
    QFile config(home.filePath(QStringLiteral("bus.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                 "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                 "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
    config.close();
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config.fileName(),
                                              QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    ASSERT_TRUE(bus.waitForReadyRead(5000)) << "dbus-daemon did not start";
    const QString address = QString::fromUtf8(bus.readLine().trimmed());
    SQLiteUserDefaults defaults(home.filePath(QStringLiteral("UserDefaults.sqlite3")));
    // A clock that runs from `start`.
    const auto center = [&](QDateTime start) {
        auto elapsed = std::make_shared<QElapsedTimer>();
        elapsed->start();
        return std::make_unique<FreedesktopNotificationCenter>(
            defaults, FreedesktopNotificationCenter::Options{
                          QStringLiteral("Rarozezev"), QStringLiteral("app-icon"), address,
                          {[=] { return start.addMSecs(elapsed->elapsed()); }, [] { return QTimeZone("Europe/Berlin"); }}});
    };

    auto notifications = center(berlin(7, 8, 14, 59));
    ReminderService service(*notifications);
    EXPECT_FALSE(waitForTask(notifications->requestAuthorization(ReminderNotificationCenter::alert)));
    StandInNotificationServer server;
    QDBusConnection serverBus = QDBusConnection::connectToBus(address, QStringLiteral("stand-in"));
    ASSERT_TRUE(serverBus.registerVirtualObject(kPath, &server));
    ASSERT_TRUE(serverBus.registerService(FreedesktopNotificationCenter::serviceName()));
    waitForTask(service.configureRecommendationReminder(true, RecommendationFrequency::weekly, 8, 15));
    QList<QVariantMap> opened;
    QObject::connect(notifications.get(), &FreedesktopNotificationCenter::notificationOpened,
                     [&](const QVariantMap &userInfo) { opened.append(userInfo); });
    notifications->startDelivering();
    EXPECT_TRUE(server.shown.isEmpty()) << "not before its minute";

    ASSERT_TRUE(eventually([&] { return !server.shown.isEmpty(); }));
    const ReminderContent content = UserDefaultsReminderRequestStore(defaults).entries().value(0).request.content;
    const QVariantList shown = server.shown[0];
    EXPECT_EQ(QVariantList({shown[0], shown[2], shown[3], shown[4]}),
              QVariantList({"Rarozezev", "app-icon", content.title, content.body}));
    EXPECT_TRUE(shown[5].toStringList().contains(QStringLiteral("default")));

    for (uint id : {99u, 1u}) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, FreedesktopNotificationCenter::serviceName(),
                                                         QStringLiteral("ActionInvoked"));
        signal.setArguments({id, QStringLiteral("default")});
        serverBus.send(signal);
    }
    ASSERT_TRUE(eventually([&] { return !opened.isEmpty(); }));
    waitForTask(QCoro::sleepFor(50ms));
    EXPECT_EQ(opened, QList<QVariantMap>{content.userInfo}) << "only our own notification, and with its route";

    serverBus.unregisterObject(kPath);
    QCoreApplication::removePostedEvents(&server);
    QDBusConnection::disconnectFromBus(serverBus.name());
    bus.kill();
    bus.waitForFinished();
}

} // namespace
