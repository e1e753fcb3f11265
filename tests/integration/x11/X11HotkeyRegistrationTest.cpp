#include "platform/x11/X11HotkeyRegistrationBackend.h"

#include "hotkey/DefaultHotkeyRegistrar.h"
#include "hotkey/HotkeyRegistrationError.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>

using namespace std::chrono_literals;

namespace {

void xdotool(const char *command, const char *keys)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QString::fromLatin1(command), QString::fromLatin1(keys)}), 0);
}

// Another client that tries to grab Alt+D with the given lock combinations and holds what it
// got until destroyed; its answer is "grabbed" or "refused".
struct GrabHolder {
    explicit GrabHolder(const QStringList &combinations)
    {
        process.start(QStringLiteral(RAROZEZEV_HOTKEY_GRAB_HOLDER), combinations);
        if (process.waitForReadyRead(5000))
            answer = QString::fromUtf8(process.readLine()).trimmed();
    }
    ~GrabHolder()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000))
            process.kill();
    }
    QProcess process;
    QString answer;
};

const QStringList allCombinations{"plain", "caps", "num", "capsnum"};

class X11HotkeyRegistrationTest : public ::testing::Test {
protected:
    // True when exactly `expected` triggers have arrived, and no stray one after them.
    bool triggersReach(int expected)
    {
        QDeadlineTimer deadline(3s);
        while (triggers < expected && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        for (QDeadlineTimer settle(300ms); !settle.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return triggers == expected;
    }

    int triggers = 0;
    DefaultHotkeyRegistrar registrar{std::make_unique<X11HotkeyRegistrationBackend>()};
};

TEST_F(X11HotkeyRegistrationTest, EachPressTriggersOnceWhateverTheLocksAndUnregisteringReleasesEveryGrab)
{
    registrar.registerDefaultHotkey([&] { ++triggers; });
    EXPECT_EQ(GrabHolder(allCombinations).answer, QStringLiteral("refused"));
    xdotool("key", "alt+d");
    EXPECT_TRUE(triggersReach(1));
    xdotool("key", "Caps_Lock");
    xdotool("key", "alt+d");
    EXPECT_TRUE(triggersReach(2)) << "with Caps Lock";
    xdotool("key", "Num_Lock");
    xdotool("key", "alt+d");
    EXPECT_TRUE(triggersReach(3)) << "with Caps Lock and Num Lock";
    xdotool("key", "Caps_Lock");
    xdotool("key", "Num_Lock");

    registrar.unregister();
    EXPECT_EQ(GrabHolder(allCombinations).answer, QStringLiteral("grabbed"));
    xdotool("key", "alt+d");
    EXPECT_TRUE(triggersReach(3));
}

TEST_F(X11HotkeyRegistrationTest, AnotherClientsGrabFailsRegistrationAndLeavesNoPartialGrab)
{
    {
        // Only the Num Lock combination, so some of our grabs succeed before one is refused.
        GrabHolder other({QStringLiteral("num")});
        ASSERT_EQ(other.answer, QStringLiteral("grabbed"));
        try {
            registrar.registerDefaultHotkey([] {});
            ADD_FAILURE() << "registered over another client's grab";
        } catch (const HotkeyRegistrationError &error) {
            EXPECT_EQ(error.kind(), HotkeyRegistrationError::Kind::hotkeyRegistrationFailed);
        }
        EXPECT_FALSE(registrar.isRegistered());
        EXPECT_EQ(GrabHolder({"plain", "caps", "capsnum"}).answer, QStringLiteral("grabbed")) << "ours were released";
    }
    registrar.registerDefaultHotkey([&] { ++triggers; });
    EXPECT_TRUE(registrar.isRegistered()) << "free again once the other client is gone";
    xdotool("key", "alt+d");
    EXPECT_TRUE(triggersReach(1)) << "the failed attempt left no handler behind";
}

} // namespace
