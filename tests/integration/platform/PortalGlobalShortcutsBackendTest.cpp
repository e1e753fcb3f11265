#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "platform/wayland/PortalShortcut.h"
#include "support/CoroutineTestSupport.h"

#include <QCoroTimer>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// The portal's GlobalShortcuts interface as a desktop implements it, under a name of its own
// on a connection of its own: it grants the shortcut with "Alt+D" or refuses it.
class PortalStandIn : public QDBusVirtualObject {
public:
    static inline const QString name = QStringLiteral("com.rarozezev.test.PortalStandIn");
    static inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");

    PortalStandIn() : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal-stand-in")))
    {
        bus.registerVirtualObject(path, this, QDBusConnection::SubPath);
        bus.registerService(name);
    }
    ~PortalStandIn() override
    {
        bus.unregisterService(name);
        bus.unregisterObject(path, QDBusConnection::UnregisterTree);
        // Calls still queued for this object hold on to the connection: they go first.
        QCoreApplication::removePostedEvents(this);
        QDBusConnection::disconnectFromBus(QStringLiteral("portal-stand-in"));
    }

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QString sender = message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().value(message.arguments().size() - 1));
        const QString request = path + "/request/" + sender + "/" + options.value("handle_token").toString();
        QVariantMap results;
        uint response = 0;
        if (message.member() == "Close") {
            closed.append(message.path());
            connection.send(message.createReply());
            return true;
        }
        if (message.member() == "CreateSession") {
            session = path + "/session/" + sender + "/" + options.value("session_handle_token").toString();
            results.insert("session_handle", session);
        } else if (message.member() == "BindShortcuts") {
            message.arguments().value(1).value<QDBusArgument>() >> requested;
            QList<PortalShortcut> assigned = requested;
            for (PortalShortcut &shortcut : assigned)
                shortcut.properties.insert("trigger_description", "Alt+D");
            results.insert("shortcuts", QVariant::fromValue(assigned));
            response = refuseBinding ? 1 : 0;
        }
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage answer = QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
        answer.setArguments({response, results});
        connection.send(answer);
        return true;
    }

    void activate(const QString &shortcut)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, "org.freedesktop.portal.GlobalShortcuts", "Activated");
        signal.setArguments({QVariant::fromValue(QDBusObjectPath(session)), shortcut, qulonglong(0), QVariantMap()});
        bus.send(signal);
    }

    QDBusConnection bus;
    bool refuseBinding = false;
    QString session;
    QList<PortalShortcut> requested;
    QStringList closed;
};

bool settles(const std::function<bool()> &condition)
{
    for (int i = 0; i < 250 && !condition(); ++i)
        waitForTask(QCoro::sleepFor(20ms));
    return condition();
}

TEST(PortalGlobalShortcutsBackend, BindsTheShortcutRunsItsActivationsAndGivesUpWhenRefused)
{
    {
        // No portal at all.
        PortalGlobalShortcutsBackend absent(QDBusConnection::sessionBus(), PortalStandIn::name);
        auto hotkey = absent.registerDefaultHotkey();
        EXPECT_TRUE(settles([&] { return absent.state() == PortalGlobalShortcutsBackend::State::refused; }));
    }
    PortalStandIn portal;
    int presses = 0;
    {
        PortalGlobalShortcutsBackend backend(QDBusConnection::sessionBus(), PortalStandIn::name);
        auto handler = backend.installHandler([&] { ++presses; });
        auto hotkey = backend.registerDefaultHotkey();
        ASSERT_TRUE(settles([&] { return backend.state() == PortalGlobalShortcutsBackend::State::bound; }));
        EXPECT_EQ(backend.assignedTrigger(), QStringLiteral("Alt+D"));
        ASSERT_EQ(portal.requested.size(), 1);
        EXPECT_FALSE(portal.requested.first().properties.value("description").toString().isEmpty());

        portal.activate(QStringLiteral("another-shortcut"));
        portal.activate(PortalGlobalShortcutsBackend::shortcutId());
        EXPECT_TRUE(settles([&] { return presses == 1; }));
        backend.unregisterHotkey(std::move(hotkey));
        EXPECT_TRUE(settles([&] { return portal.closed == QStringList{portal.session}; }));
        backend.removeHandler(std::move(handler));
    }

    portal.refuseBinding = true;
    PortalGlobalShortcutsBackend refused(QDBusConnection::sessionBus(), PortalStandIn::name);
    auto handler = refused.installHandler([&] { ++presses; });
    auto hotkey = refused.registerDefaultHotkey();
    ASSERT_TRUE(settles([&] { return refused.state() == PortalGlobalShortcutsBackend::State::refused; }));
    portal.activate(PortalGlobalShortcutsBackend::shortcutId());
    waitForTask(QCoro::sleepFor(100ms));
    EXPECT_EQ(presses, 1);
    EXPECT_TRUE(refused.assignedTrigger().isEmpty());
}

} // namespace
