#include "platform/X11HotkeyEventFilter.h"
#include "platform/X11HotkeyRegistrationBackend.h"
#include "services/HotkeyRegistrationError.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

namespace {

constexpr xcb_window_t root = 0x1e3;
constexpr xcb_keycode_t dKey = 40;
constexpr std::uint16_t numLock = XCB_MOD_MASK_2;
constexpr std::uint16_t alt = XCB_MOD_MASK_1;
constexpr std::uint16_t capsLock = XCB_MOD_MASK_LOCK;

class X11HotkeyEventFilterTest : public ::testing::Test {
protected:
    int triggers = 0;
    X11HotkeyEventFilter filter{root, dKey, numLock, [this] { ++triggers; }};

    // Feeds one key event through the filter, as Qt would, and says whether it was consumed.
    bool feed(std::uint8_t type, xcb_timestamp_t time, std::uint16_t state = alt, xcb_keycode_t key = dKey,
              xcb_window_t window = root)
    {
        xcb_key_press_event_t event{};
        event.response_type = type;
        event.detail = key;
        event.time = time;
        event.root = root;
        event.event = window;
        event.state = state;
        return filter.nativeEventFilter(QByteArrayLiteral("xcb_generic_event_t"), &event, nullptr);
    }
    bool press(xcb_timestamp_t time, std::uint16_t state = alt) { return feed(XCB_KEY_PRESS, time, state); }
    bool release(xcb_timestamp_t time, std::uint16_t state = alt) { return feed(XCB_KEY_RELEASE, time, state); }

    int triggersAfterEventLoop()
    {
        QCoreApplication::processEvents();
        return triggers;
    }
};

TEST_F(X11HotkeyEventFilterTest, FiresOncePerPressLaterOnTheEventLoopWhateverTheLocks)
{
    for (std::uint16_t locks : {0, +capsLock, +numLock, capsLock | numLock}) {
        const int before = triggers;
        EXPECT_TRUE(press(1000u + locks, alt | locks));
        EXPECT_EQ(triggers, before) << "never from inside the filter";
        EXPECT_TRUE(release(1100u + locks, locks)) << "Alt may be up before D";
        EXPECT_EQ(triggersAfterEventLoop(), before + 1) << "locks " << locks;
    }
    // Mouse buttons and the XKB group live above the modifier bits and do not count.
    press(5000, alt | XCB_KEY_BUT_MASK_BUTTON_1 | 0x2000);
    EXPECT_EQ(triggersAfterEventLoop(), 5);
}

TEST_F(X11HotkeyEventFilterTest, LetsOtherKeysModifiersAndWindowsThrough)
{
    EXPECT_FALSE(feed(XCB_KEY_PRESS, 10, alt, dKey + 1));
    EXPECT_FALSE(feed(XCB_KEY_PRESS, 20, alt, dKey, root + 1));
    EXPECT_FALSE(press(30, 0));
    EXPECT_FALSE(press(40, alt | XCB_MOD_MASK_CONTROL));
    EXPECT_FALSE(press(50, alt | XCB_MOD_MASK_SHIFT));
    EXPECT_FALSE(press(60, alt | XCB_MOD_MASK_4));
    EXPECT_FALSE(feed(XCB_BUTTON_PRESS, 70));
    EXPECT_FALSE(filter.nativeEventFilter(QByteArrayLiteral("windows_generic_MSG"), nullptr, nullptr));
    EXPECT_EQ(triggersAfterEventLoop(), 0);

    // Events sent by other clients (the high bit of the type) are judged like any other.
    EXPECT_TRUE(feed(XCB_KEY_PRESS | 0x80, 80));
    EXPECT_EQ(triggersAfterEventLoop(), 1);
}

TEST_F(X11HotkeyEventFilterTest, IgnoresAutoRepeatWhileTheKeyIsHeld)
{
    // Detectable auto-repeat: presses without releases in between.
    press(1000);
    press(1660);
    press(1700);
    release(1740);
    EXPECT_EQ(triggersAfterEventLoop(), 1);

    // Classic auto-repeat: each repeat is a release and a press with the same time stamp.
    press(3000);
    release(3660);
    press(3660);
    release(3700);
    press(3700);
    release(3800);
    EXPECT_EQ(triggersAfterEventLoop(), 2);

    // Quick separate presses each count.
    press(4000);
    release(4050);
    press(4100);
    release(4150);
    EXPECT_EQ(triggersAfterEventLoop(), 4);
}

TEST_F(X11HotkeyEventFilterTest, ALostReleaseDoesNotSilenceTheHotkey)
{
    press(1000);
    press(60000);
    EXPECT_EQ(triggersAfterEventLoop(), 2);
    // The millisecond clock wraps after about 49 days; a repeat across the wrap is a repeat.
    press(0xFFFFFF00u);
    press(0x10);
    release(0x20);
    press(0x400);
    EXPECT_EQ(triggersAfterEventLoop(), 4);
}

TEST(X11HotkeyEventFilterLifetimeTest, ATriggerQueuedBeforeTheFilterIsDestroyedNeverRuns)
{
    int triggers = 0;
    auto filter = std::make_unique<X11HotkeyEventFilter>(root, dKey, numLock, [&] { ++triggers; });
    xcb_key_press_event_t event{};
    event.response_type = XCB_KEY_PRESS;
    event.detail = dKey;
    event.event = root;
    event.state = alt;
    filter->nativeEventFilter(QByteArrayLiteral("xcb_generic_event_t"), &event, nullptr);
    filter.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 0);
}

// Unit tests run on Qt's offscreen platform, which has no X11 connection.
TEST(X11HotkeyRegistrationBackendTest, FailsWithoutAnX11Connection)
{
    X11HotkeyRegistrationBackend backend;
    try {
        backend.installHandler([] {});
        ADD_FAILURE() << "installed a handler without X11";
    } catch (const HotkeyRegistrationError &error) {
        EXPECT_EQ(error.kind(), HotkeyRegistrationError::Kind::eventHandlerInstallationFailed);
    }
    try {
        backend.registerDefaultHotkey();
        ADD_FAILURE() << "registered without X11";
    } catch (const HotkeyRegistrationError &error) {
        EXPECT_EQ(error.kind(), HotkeyRegistrationError::Kind::hotkeyRegistrationFailed);
    }
}

TEST(X11HotkeyRegistrationBackendTest, DropsTokensItDidNotIssue)
{
    struct ForeignHandler : HotkeyHandlerToken {};
    struct ForeignHotkey : RegisteredHotkeyToken {};
    X11HotkeyRegistrationBackend backend;
    backend.removeHandler(std::make_unique<ForeignHandler>());
    backend.unregisterHotkey(std::make_unique<ForeignHotkey>());
    backend.removeHandler(nullptr);
    backend.unregisterHotkey(nullptr);
}

} // namespace
