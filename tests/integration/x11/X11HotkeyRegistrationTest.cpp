#include "platform/x11/X11HotkeyRegistrationBackend.h"

#include "hotkey/HotkeyController.h"
#include "hotkey/HotkeyRegistrationError.h"
#include "logging/AppLogger.h"
#include "foundation/AppNotificationCenter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include <xcb/xcb.h>

using namespace std::chrono_literals;

namespace {

// Runs the event loop until `done` holds or the time is up (tests only).
bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    QDeadlineTimer deadline(timeout);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void xdotool(const QString &command, const QString &keys)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {command, keys}), 0) << keys.toStdString();
}

void pressAltD() { xdotool(QStringLiteral("key"), QStringLiteral("alt+d")); }

// The server's current modifier state, locks included.
std::uint16_t modifierState()
{
    xcb_connection_t *c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_query_pointer_reply_t *reply = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
    const std::uint16_t state = reply ? reply->mask & 0xFF : 0;
    std::free(reply);
    return state;
}

// Another client grabbing Alt+D with the given lock combinations until it is destroyed.
class GrabHolder {
public:
    explicit GrabHolder(const QStringList &combinations)
    {
        m_process.start(QStringLiteral(RAROZEZEV_HOTKEY_GRAB_HOLDER), combinations);
        if (m_process.waitForReadyRead(5000))
            m_answer = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~GrabHolder()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    // "grabbed" or "refused".
    const QString &answer() const { return m_answer; }

private:
    QProcess m_process;
    QString m_answer;
};

const QStringList allCombinations{"plain", "caps", "num", "capsnum"};

class X11HotkeyRegistrationTest : public ::testing::Test {
protected:
    int triggers = 0;
    DefaultHotkeyRegistrar registrar{std::make_unique<X11HotkeyRegistrationBackend>()};

    // True when exactly `expected` triggers have arrived, and no stray one after them.
    bool triggersReach(int expected)
    {
        waitUntil([&] { return triggers >= expected; }, 3s);
        waitUntil([] { return false; }, 300ms);
        return triggers == expected;
    }
    std::unique_ptr<HotkeyController> makeController()
    {
        return std::make_unique<HotkeyController>([this] { ++triggers; },
                                                  [] { return std::make_unique<X11HotkeyRegistrationBackend>(); });
    }
};

TEST_F(X11HotkeyRegistrationTest, EachPressTriggersOnceWhateverTheLocks)
{
    registrar.registerDefaultHotkey([&] { ++triggers; });
    pressAltD();
    EXPECT_TRUE(triggersReach(1));

    const std::uint16_t before = modifierState();
    xdotool(QStringLiteral("key"), QStringLiteral("Caps_Lock"));
    pressAltD();
    EXPECT_TRUE(triggersReach(2)) << "with Caps Lock";
    xdotool(QStringLiteral("key"), QStringLiteral("Num_Lock"));
    const std::uint16_t locked = modifierState();
    pressAltD();
    EXPECT_TRUE(triggersReach(3)) << "with Caps Lock and Num Lock";
    xdotool(QStringLiteral("key"), QStringLiteral("Caps_Lock"));
    xdotool(QStringLiteral("key"), QStringLiteral("Num_Lock"));
    // Both locks were really on: Caps Lock and one more modifier bit.
    EXPECT_TRUE(locked & ~before & XCB_MOD_MASK_LOCK);
    EXPECT_TRUE(locked & ~before & ~XCB_MOD_MASK_LOCK);

    // Held past the server's auto-repeat delay, the key still triggers once.
    xdotool(QStringLiteral("keydown"), QStringLiteral("alt+d"));
    waitUntil([] { return false; }, 1200ms);
    xdotool(QStringLiteral("keyup"), QStringLiteral("alt+d"));
    EXPECT_TRUE(triggersReach(4));
}

TEST_F(X11HotkeyRegistrationTest, AnotherClientsGrabFailsRegistrationAndLeavesNoPartialGrab)
{
    {
        // Only the Num Lock combination, so some of our grabs succeed before one is refused.
        GrabHolder other({QStringLiteral("num")});
        ASSERT_EQ(other.answer(), QStringLiteral("grabbed"));
        try {
            registrar.registerDefaultHotkey([] {});
            ADD_FAILURE() << "registered over another client's grab";
        } catch (const HotkeyRegistrationError &error) {
            EXPECT_EQ(error.kind(), HotkeyRegistrationError::Kind::hotkeyRegistrationFailed);
        }
        EXPECT_FALSE(registrar.isRegistered());
        GrabHolder rest({QStringLiteral("plain"), QStringLiteral("caps"), QStringLiteral("capsnum")});
        EXPECT_EQ(rest.answer(), QStringLiteral("grabbed")) << "our partial grabs were released";
    }
    registrar.registerDefaultHotkey([&] { ++triggers; });
    EXPECT_TRUE(registrar.isRegistered()) << "free again once the other client is gone";
    pressAltD();
    EXPECT_TRUE(triggersReach(1)) << "the failed attempt left no handler behind";
}

TEST_F(X11HotkeyRegistrationTest, ThePreferenceSwitchGrabsAndReleasesAtOnce)
{
    AppNotificationCenter center;
    bool enabled = true;
    auto controller = makeController();
    controller->followTriggerPreferences(center, [&] { return enabled; });

    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_EQ(GrabHolder(allCombinations).answer(), QStringLiteral("refused"));
    pressAltD();
    EXPECT_TRUE(triggersReach(1));

    enabled = false;
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_EQ(GrabHolder(allCombinations).answer(), QStringLiteral("grabbed")) << "every grab released";
    pressAltD();
    EXPECT_TRUE(triggersReach(1));

    enabled = true;
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    pressAltD();
    EXPECT_TRUE(triggersReach(2));
}

TEST_F(X11HotkeyRegistrationTest, AHotkeyTakenByAnotherClientIsLoggedAndTheProgramCarriesOn)
{
    // Keeps the log out of the user's own state folder, should the writer not exist yet.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    QFile log(AppLogger::logFileURL().toLocalFile());
    const qint64 sizeBefore = log.exists() ? log.size() : 0;

    GrabHolder other({QStringLiteral("plain")});
    ASSERT_EQ(other.answer(), QStringLiteral("grabbed"));
    auto controller = makeController();
    // The test executable's mark silences the logger; lift it for this one call.
    AppEnvironment::markRunningTests(false);
    controller->configure(true);
    AppLogger::prepareLogFileForExport();
    AppEnvironment::markRunningTests();

    EXPECT_FALSE(controller->isRegistered());
    EXPECT_NE(controller->service(), nullptr);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    log.seek(sizeBefore);
    const QString written = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(written.endsWith(
        QStringLiteral(" [error] Failed to register global hotkey Option+D: hotkeyRegistrationFailed\n")))
        << written.toStdString();
}

} // namespace
