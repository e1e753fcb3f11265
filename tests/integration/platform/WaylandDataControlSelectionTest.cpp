#include "foundation/AppError.h"
#include "platform/wayland/PortalRemoteDesktopKeyboard.h"
#include "platform/wayland/WaylandClipboardKeeper.h"
#include "platform/wayland/WaylandDataControlSelection.h"
#include "platform/wayland/WaylandSelectionCapture.h"
#include "support/CoroutineTestSupport.h"

#include <QCoroProcess>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace {

using Selection = WaylandDataControlSelection::Selection;

// wl-clipboard on the session's headless sway; its standard output.
QString wlClipboard(const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), qEnvironmentVariable("RAROZEZEV_TEST_WAYLAND_DISPLAY"));
    process.setProcessEnvironment(environment);
    // wl-copy leaves a server behind, which must not hold our pipe.
    if (program == QLatin1String("wl-copy"))
        process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    // On the event loop: the clipboard may be this process's own to serve.
    EXPECT_TRUE(waitForTask(qCoro(process).waitForFinished(std::chrono::seconds(10)))) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The primary selection and the clipboard are read from a compositor where this program has
// no window, and both stay with their owner.
TEST(WaylandDataControlSelection, ReadsBothSelectionsAndLeavesThemWithTheirOwner)
{
    const QByteArray display = qgetenv("RAROZEZEV_TEST_WAYLAND_DISPLAY");
    ASSERT_FALSE(display.isEmpty()) << "run inside scripts/with-desktop-session.sh";
    const WaylandDataControlSelection selection(display);
    ASSERT_TRUE(selection.isAvailable());
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("former clipboard — 剪贴板")});
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("--primary"), QStringLiteral("  take off\n")});

    EXPECT_EQ(selection.text(Selection::clipboard), QStringLiteral("former clipboard — 剪贴板"));
    EXPECT_EQ(selection.text(Selection::primary), QStringLiteral("  take off\n"));
    EXPECT_EQ(waitForTask(WaylandSelectionCapture(selection).captureSelectedTextUsingClipboardFallback()),
              QStringLiteral("take off"));
    EXPECT_EQ(wlClipboard(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")}),
              QStringLiteral("former clipboard — 剪贴板"));

    // Nothing selected: the learner is told what to do, and the clipboard is not read instead.
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("--primary"), QStringLiteral("--clear")});
    EXPECT_EQ(selection.text(Selection::primary), std::nullopt);
    EXPECT_THROW(waitForTask(WaylandSelectionCapture(selection).captureSelectedTextUsingClipboardFallback()), AppError);
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("--clear")});
}

// The portal's RemoteDesktop interface as a desktop implements it, on a connection and name
// of its own; it grants the keyboard or not, and plays the focused application, which copies
// its selection on Ctrl+C.
class RemoteDesktopStandIn : public QDBusVirtualObject {
public:
    static inline const QString name = QStringLiteral("com.rarozezev.test.RemoteDesktopStandIn");

    RemoteDesktopStandIn() : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name))
    {
        bus.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), this, QDBusConnection::SubPath);
        bus.registerService(name);
    }
    ~RemoteDesktopStandIn() override
    {
        // Calls still queued for this object hold on to the connection: they go first.
        bus.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"), QDBusConnection::UnregisterTree);
        QCoreApplication::removePostedEvents(this);
        QDBusConnection::disconnectFromBus(name);
    }

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QVariantList arguments = message.arguments();
        if (message.member() == "NotifyKeyboardKeysym") {
            keys.append(QStringLiteral("%1%2").arg(arguments.value(3).toUInt() ? "+" : "-").arg(arguments.value(2).toInt(), 0, 16));
            if (keys.last() == "+63" && keys.contains("+ffe3"))
                wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral(" give up ")});
            return true;
        }
        if (message.member() == "Close")
            return connection.send(message.createReply());
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(arguments.size() - 1));
        const QString sender = message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request = message.path() + "/request/" + sender + "/" + options.value("handle_token").toString();
        QVariantMap results{{"session_handle", message.path() + "/session/" + sender + "/1"}, {"devices", grant ? 1u : 0u}};
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage answer = QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
        answer.setArguments({message.member() == "Start" && !grant ? 1u : 0u, results});
        connection.send(answer);
        return true;
    }

    QDBusConnection bus;
    bool grant = true;
    QStringList keys;
};

// Nothing in the primary selection: where the desktop grants its keyboard, Ctrl+C copies the
// selection, and the learner's clipboard comes back and stays; where it refuses, nothing is
// pressed again and the learner is told.
TEST(WaylandSelectionCapture, CopiesThroughThePortalKeyboardAndPutsTheClipboardBack)
{
    const WaylandDataControlSelection selection(qgetenv("RAROZEZEV_TEST_WAYLAND_DISPLAY"));
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("former clipboard")});
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("--primary"), QStringLiteral("--clear")});
    RemoteDesktopStandIn portal;
    const WaylandSelectionCapture::CopyFallback fallback{
        std::make_shared<PortalRemoteDesktopKeyboard>(QDBusConnection::sessionBus(), RemoteDesktopStandIn::name),
        std::make_shared<std::unique_ptr<WaylandClipboardKeeper>>()};
    WaylandSelectionCapture capture(selection, fallback);

    // The second time the clipboard is the keeper's, which must not wait on itself.
    for (int copy = 0; copy < 2; ++copy) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(waitForTask(capture.captureSelectedTextUsingClipboardFallback()), QStringLiteral("give up"));
        EXPECT_LT(clock.elapsed(), 400);
        EXPECT_EQ(portal.keys.mid(copy * 4), QStringList({"+ffe3", "+63", "-63", "-ffe3"}));
        EXPECT_EQ(wlClipboard(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")}), QStringLiteral("former clipboard"));
        EXPECT_TRUE(*fallback.keeper && (*fallback.keeper)->ownsClipboard());
    }

    portal.grant = false;
    portal.keys.clear();
    const WaylandSelectionCapture::CopyFallback refused{
        std::make_shared<PortalRemoteDesktopKeyboard>(QDBusConnection::sessionBus(), RemoteDesktopStandIn::name),
        fallback.keeper};
    for (int attempt = 0; attempt < 2; ++attempt)
        EXPECT_THROW(waitForTask(WaylandSelectionCapture(selection, refused).captureSelectedTextUsingClipboardFallback()),
                     AppError);
    EXPECT_TRUE(portal.keys.isEmpty());
    EXPECT_EQ(refused.keyboard->state(), PortalRemoteDesktopKeyboard::State::refused);
    wlClipboard(QStringLiteral("wl-copy"), {QStringLiteral("--clear")});
    for (int poll = 0; poll < 100 && (*fallback.keeper)->ownsClipboard(); ++poll)
        QThread::msleep(10);
    EXPECT_FALSE((*fallback.keeper)->ownsClipboard()) << "another program took the clipboard";
}

} // namespace
