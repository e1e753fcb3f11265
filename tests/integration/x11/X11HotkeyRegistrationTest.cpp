#include "platform/x11/X11HotkeyRegistrationBackend.h"

#include "hotkey/DefaultHotkeyRegistrar.h"
#include "hotkey/HotkeyController.h"
#include "hotkey/HotkeyRegistrationError.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

using namespace std::chrono_literals;

namespace {

void xdotool(const char *command, const char *keys)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QString::fromLatin1(command), QString::fromLatin1(keys)}), 0);
}

// Another client (a connection of its own) that tries to grab a key (Alt+D unless told) with
// the given lock combinations and holds what it got until destroyed; `answer` is "grabbed" or
// "refused". The session's keymap puts Num Lock on Mod2, as the standard keymaps do.
struct GrabHolder {
    explicit GrabHolder(const QStringList &combinations, xcb_keysym_t keysym = XK_d, uint16_t base = XCB_MOD_MASK_1)
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
        bool refused = false;
        for (const QString &combination : combinations) {
            const auto modifiers = static_cast<uint16_t>(base | (combination.contains("caps") ? XCB_MOD_MASK_LOCK : 0)
                                                         | (combination.contains("num") ? XCB_MOD_MASK_2 : 0));
            const auto cookie = xcb_grab_key_checked(connection, 0, root, modifiers, codes[0], XCB_GRAB_MODE_ASYNC,
                                                     XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t *error = xcb_request_check(connection, cookie))
                refused = true, std::free(error);
        }
        std::free(codes);
        xcb_key_symbols_free(symbols);
        answer = refused ? QStringLiteral("refused") : QStringLiteral("grabbed");
    }
    ~GrabHolder() { xcb_disconnect(connection); }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
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

TEST_F(X11HotkeyRegistrationTest, AChosenCombinationReplacesTheOldOneAtOnceUnlessAnotherClientHoldsIt)
{
    HotkeyController controller([&] { ++triggers; }, [](const GlobalShortcut &shortcut) {
        return std::make_unique<X11HotkeyRegistrationBackend>(shortcut);
    });
    controller.configure(true);
    ASSERT_TRUE(controller.isRegistered());
    const uint16_t ctrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
    ASSERT_TRUE(controller.changeShortcut(*GlobalShortcut::parse("Ctrl+Alt+K")));
    EXPECT_EQ(GrabHolder(allCombinations).answer, QStringLiteral("grabbed")) << "Alt+D was released";
    EXPECT_EQ(GrabHolder({"plain"}, XK_k, ctrlAlt).answer, QStringLiteral("refused"));
    xdotool("key", "ctrl+alt+k");
    EXPECT_TRUE(triggersReach(1));

    const GrabHolder rival({"plain"}, XK_j, ctrlAlt);
    ASSERT_EQ(rival.answer, QStringLiteral("grabbed"));
    EXPECT_FALSE(controller.changeShortcut(*GlobalShortcut::parse("Ctrl+Alt+J")));
    EXPECT_EQ(controller.shortcut().toString(), "Ctrl+Alt+K");
    xdotool("key", "ctrl+alt+k");
    EXPECT_TRUE(triggersReach(2)) << "the previous combination stays active";
}

} // namespace
