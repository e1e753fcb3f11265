#include "platform/x11/X11HotkeyEventFilter.h"
#include "platform/x11/X11HotkeyRegistrationBackend.h"
#include "hotkey/HotkeyRegistrationError.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

#include <xcb/xcb.h>

namespace {

constexpr xcb_window_t root = 0x1e3;
constexpr xcb_keycode_t dKey = 40;
constexpr std::uint16_t alt = XCB_MOD_MASK_1;
constexpr std::uint16_t capsLock = XCB_MOD_MASK_LOCK;
constexpr std::uint16_t numLock = XCB_MOD_MASK_2;

class X11HotkeyEventFilterTest : public ::testing::Test {
protected:
    int triggers = 0;
    std::unique_ptr<X11HotkeyEventFilter> filter =
        std::make_unique<X11HotkeyEventFilter>(root, dKey, numLock, [this] { ++triggers; });

    // Passes one key event through the filter as Qt would; true when the filter consumed it.
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
        return filter->nativeEventFilter(QByteArrayLiteral("xcb_generic_event_t"), &event, nullptr);
    }
    bool press(xcb_timestamp_t time, std::uint16_t state = alt) { return feed(XCB_KEY_PRESS, time, state); }
    void release(xcb_timestamp_t time) { feed(XCB_KEY_RELEASE, time, 0); }
    int triggersAfterEventLoop()
    {
        QCoreApplication::processEvents();
        return triggers;
    }
};

TEST_F(X11HotkeyEventFilterTest, EachPressTriggersOnceLaterWhateverTheLocks)
{
    // Mouse buttons and the keyboard group sit above the modifier bits and do not count.
    const std::uint16_t buttonAndGroup = XCB_KEY_BUT_MASK_BUTTON_1 | 0x2000;
    for (std::uint16_t locks : {0, +capsLock, +numLock, capsLock | numLock, +buttonAndGroup}) {
        const int before = triggers;
        EXPECT_TRUE(press(1000u + locks, alt | locks));
        EXPECT_EQ(triggers, before) << "never from inside the filter";
        release(2000u + locks);
        EXPECT_EQ(triggersAfterEventLoop(), before + 1) << "state " << locks;
    }
}

TEST_F(X11HotkeyEventFilterTest, LetsEverythingElseThrough)
{
    EXPECT_FALSE(feed(XCB_KEY_PRESS, 10, alt, dKey + 1));
    EXPECT_FALSE(feed(XCB_KEY_PRESS, 20, alt, dKey, root + 1));
    EXPECT_FALSE(feed(XCB_BUTTON_PRESS, 30));
    for (std::uint16_t state : {0, XCB_MOD_MASK_CONTROL | alt, XCB_MOD_MASK_SHIFT | alt, XCB_MOD_MASK_4 | alt})
        EXPECT_FALSE(press(40, state)) << "state " << state;
    EXPECT_FALSE(filter->nativeEventFilter(QByteArrayLiteral("windows_generic_MSG"), nullptr, nullptr));
    EXPECT_EQ(triggersAfterEventLoop(), 0);
}

TEST_F(X11HotkeyEventFilterTest, IgnoresAutoRepeatWhileTheKeyIsHeld)
{
    // Detectable auto-repeat: presses without releases in between.
    press(1000);
    press(1660);
    press(1700);
    release(1740);
    EXPECT_EQ(triggersAfterEventLoop(), 1);
    // Classic auto-repeat: a release and a press with the same time stamp for each repeat.
    press(3000);
    release(3660);
    press(3660);
    release(3700);
    EXPECT_EQ(triggersAfterEventLoop(), 2);
    // Quick separate presses each count; so does a press long after one whose release got lost.
    press(4000);
    release(4050);
    press(4100);
    press(60000);
    EXPECT_EQ(triggersAfterEventLoop(), 5);
    // A repeat across the wrap of the server's millisecond clock is still a repeat.
    press(0xFFFFFF00u);
    press(0x10);
    EXPECT_EQ(triggersAfterEventLoop(), 6);
}

TEST_F(X11HotkeyEventFilterTest, ATriggerQueuedBeforeTheFilterIsDestroyedNeverRuns)
{
    press(1000);
    filter.reset();
    EXPECT_EQ(triggersAfterEventLoop(), 0);
}

// Unit tests run on Qt's offscreen platform, which has no X11 connection.
TEST(X11HotkeyRegistrationBackendTest, FailsWithoutAnX11ConnectionAndDropsForeignTokens)
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
    struct ForeignHandler : HotkeyHandlerToken {};
    struct ForeignHotkey : RegisteredHotkeyToken {};
    backend.removeHandler(std::make_unique<ForeignHandler>());
    backend.unregisterHotkey(std::make_unique<ForeignHotkey>());
}

} // namespace
