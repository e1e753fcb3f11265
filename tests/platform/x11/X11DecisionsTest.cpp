// What the X11 mechanisms decide from raw bytes and names, without a server: the hotkey's key
// events, RECORD's mouse events, terminals, clipboard formats and the clipboard server's input.
#include "hotkey/HotkeyRegistrationError.h"
#include "platform/x11/X11ClipboardServer.h"
#include "platform/x11/X11HotkeyEventFilter.h"
#include "platform/x11/X11HotkeyRegistrationBackend.h"
#include "platform/x11/X11RecordEventDecoder.h"
#include "platform/x11/X11SelectionPasteboard.h"
#include "platform/x11/XTestCopyEventPoster.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QtEndian>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

namespace {

constexpr xcb_window_t root = 0x1e3;
constexpr xcb_keycode_t dKey = 40;
constexpr std::uint16_t alt = XCB_MOD_MASK_1, caps = XCB_MOD_MASK_LOCK, num = XCB_MOD_MASK_2;

struct KeyEvent {
    std::uint8_t type;
    xcb_timestamp_t time;
    std::uint16_t state = alt;
    bool consumed = true;
    xcb_keycode_t key = dKey;
    xcb_window_t window = root;
};
KeyEvent press(xcb_timestamp_t time, std::uint16_t state = alt) { return {XCB_KEY_PRESS, time, state}; }
KeyEvent release(xcb_timestamp_t time) { return {XCB_KEY_RELEASE, time, 0}; }
KeyEvent foreign(std::uint8_t type, std::uint16_t state, xcb_keycode_t key = dKey, xcb_window_t window = root)
{
    return {type, 10, state, false, key, window};
}

// Passes one key event through the filter as Qt would; true when the filter consumed it.
bool feed(X11HotkeyEventFilter &filter, const KeyEvent &e)
{
    xcb_key_press_event_t event{};
    event.response_type = e.type;
    event.detail = e.key;
    event.time = e.time;
    event.event = e.window;
    event.state = e.state;
    return filter.nativeEventFilter("xcb_generic_event_t", &event, nullptr);
}

// How many triggers ran once the event loop turned after the events.
int triggersFor(X11HotkeyEventFilter &filter, const int &triggers, const std::vector<KeyEvent> &events)
{
    for (const KeyEvent &e : events)
        EXPECT_EQ(feed(filter, e), e.consumed) << e.time;
    EXPECT_EQ(triggers, 0) << "never from inside the filter";
    QCoreApplication::processEvents();
    return triggers;
}

TEST(X11HotkeyEventFilterTest, EachPressTriggersOnceLaterWhateverTheLocksButNotOnAutoRepeat)
{
    const std::uint16_t buttonAndGroup = XCB_KEY_BUT_MASK_BUTTON_1 | 0x2000;
    const std::pair<std::vector<KeyEvent>, int> rows[] = {
        {{press(1, alt | caps), release(2), press(3, alt | num), release(4), press(5, alt | caps | num), release(6),
          press(7, alt | buttonAndGroup), release(8)}, 4},
        {{foreign(XCB_KEY_PRESS, alt, dKey + 1), foreign(XCB_KEY_PRESS, alt, dKey, root + 1),
          foreign(XCB_BUTTON_PRESS, alt), foreign(XCB_KEY_PRESS, 0), foreign(XCB_KEY_PRESS, alt | XCB_MOD_MASK_CONTROL),
          foreign(XCB_KEY_PRESS, alt | XCB_MOD_MASK_SHIFT), foreign(XCB_KEY_PRESS, alt | XCB_MOD_MASK_4)}, 0},
        // Detectable auto-repeat: presses without releases in between.
        {{press(1000), press(1660), press(1700), release(1740)}, 1},
        // Classic auto-repeat: a release and a press with the same time stamp for each repeat.
        {{press(3000), release(3660), press(3660), release(3700)}, 1},
        // Quick separate presses each count; so does one long after a press whose release got lost.
        {{press(4000), release(4050), press(4100), press(60000)}, 3},
        // A repeat across the wrap of the server's millisecond clock is still a repeat.
        {{press(0xFFFFFF00u), press(0x10)}, 1},
    };
    for (const auto &[events, expected] : rows) {
        int triggers = 0;
        X11HotkeyEventFilter filter(root, dKey, num, [&] { ++triggers; });
        EXPECT_EQ(triggersFor(filter, triggers, events), expected) << events.size() << " events";
    }
    // A trigger queued before the filter is destroyed never runs.
    int triggers = 0;
    auto filter = std::make_unique<X11HotkeyEventFilter>(root, dKey, num, [&] { ++triggers; });
    feed(*filter, press(1000));
    filter.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 0);
}

// Unit tests run on Qt's offscreen platform, which has no X11 connection.
TEST(X11HotkeyRegistrationBackendTest, FailsWithoutAnX11Connection)
{
    X11HotkeyRegistrationBackend backend;
    EXPECT_THROW(backend.installHandler([] {}), HotkeyRegistrationError);
    EXPECT_THROW(backend.registerDefaultHotkey(), HotkeyRegistrationError);
}

std::vector<quint8> buttonEvent(quint8 code, quint8 button, quint32 time, qint16 x, qint16 y, bool swap)
{
    std::vector<quint8> event(X11RecordEventDecoder::eventSize, 0);
    event[0] = code;
    event[1] = button;
    qToUnaligned(swap ? qbswap(time) : time, event.data() + 4);
    qToUnaligned(swap ? qbswap(x) : x, event.data() + 20);
    qToUnaligned(swap ? qbswap(y) : y, event.data() + 22);
    return event;
}

TEST(X11RecordEventDecoderTest, KeepsLeftButtonEventsWithRootCoordinatesAndRepeatsTheClickCountOnRelease)
{
    for (const bool swap : {false, true}) {
        std::vector<quint8> stream;
        for (const auto &event : {buttonEvent(4, 1, 1000, -20, 1500, swap), buttonEvent(5, 1, 1050, 300, 200, swap),
                                  buttonEvent(4, 3, 1060, 300, 200, swap), // right button
                                  buttonEvent(2, 38, 1070, 0, 0, swap),    // a key press
                                  buttonEvent(4, 1, 1150, -20, 1500, swap), buttonEvent(5, 1, 1180, 0, 0, swap)})
            stream.insert(stream.end(), event.begin(), event.end());
        stream.resize(stream.size() + 7); // a torn record at the end is ignored

        X11RecordEventDecoder decoder(400);
        std::vector<SelectionMouseEvent> events;
        EXPECT_EQ(decoder.decode(stream.data(), stream.size(), swap, [&](const auto &e) { events.push_back(e); }), 4);
        ASSERT_EQ(events.size(), 4u);
        EXPECT_EQ(events[0].kind, SelectionMouseEvent::Kind::leftMouseDown);
        EXPECT_EQ(events[0].location, QPointF(-20, 1500));
        EXPECT_EQ(events[1].kind, SelectionMouseEvent::Kind::leftMouseUp);
        EXPECT_EQ(events[1].location, QPointF(300, 200));
        EXPECT_EQ(events[1].clickCount, 1);
        EXPECT_EQ(events[2].clickCount, 2);
        EXPECT_EQ(events[3].clickCount, 2);
    }
}

TEST(XTestCopyEventPosterTest, RecognisesTerminalsAndProgramsWithOneInsideByEitherWindowClassName)
{
    const std::pair<QByteArray, bool> cases[] = {
        {QByteArray("code\0Code\0", 10), true},
        {QByteArray("code-oss\0Code - OSS\0", 20), true},
        {QByteArray("vscodium\0VSCodium\0", 18), true},
        {QByteArray("sun-awt-X11-XFramePeer\0jetbrains-pycharm\0", 41), true},
        {QByteArray("emacs\0Emacs\0", 12), true},
        {QByteArray("jetbrains\0Toolbox\0", 18), false},
        {QByteArray("xterm\0XTerm\0", 12), true},
        {QByteArray("custom-instance\0kitty\0", 22), true},
        {QByteArray("xfce4-terminal\0Xfce4-terminal", 29), true}, // without the last NUL
        {QByteArray("Navigator\0firefox\0", 18), false},
        {QByteArray("stterm-notes\0Notes\0", 19), false}, // only contains a terminal's name
        {QByteArray("\0\0", 2), false},
    };
    for (const auto &[wmClass, terminal] : cases)
        EXPECT_EQ(XTestCopyEventPoster::isTerminalHostWindowClass(wmClass), terminal) << wmClass.constData();
}

TEST(X11SelectionPasteboardTest, SnapshotsRealFormatsOnly)
{
    for (const char *format : {"text/plain", "image/png", "UTF8_STRING", "application/x-rarozezev-test"})
        EXPECT_TRUE(X11SelectionPasteboard::isSnapshotFormat(QString::fromLatin1(format))) << format;
    for (const char *format : {"TARGETS", "SAVE_TARGETS", "MULTIPLE", "INCR", "application/x-qt-image", ""})
        EXPECT_FALSE(X11SelectionPasteboard::isSnapshotFormat(QString::fromLatin1(format))) << format;
}

TEST(X11ClipboardServerTest, TakesOnlyOneCompleteSnapshotAndOnlyWhatReachesTheDisplay)
{
    SelectionPasteboardItemSnapshot item;
    item.setData(QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("剪贴板 clipboard").toUtf8());
    item.setData(QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\n\0\0\xff", 12));
    item.setData(QStringLiteral("application/x-empty"), QByteArray());
    const QByteArray bytes = X11ClipboardServer::encode({{item}});
    const auto decoded = X11ClipboardServer::decode(bytes);
    ASSERT_TRUE(decoded);
    // The order of the formats is kept too: owners list their preferred one first.
    EXPECT_EQ(decoded->items.value(0).contentsByType, item.contentsByType);
    EXPECT_EQ(X11ClipboardServer::decode(X11ClipboardServer::encode({})), SelectionPasteboardSnapshot{});
    // A sender that died halfway, garbage, or more than one snapshot is refused.
    for (const QByteArray &broken : {QByteArray(), bytes.left(bytes.size() - 1), bytes.left(bytes.size() / 2),
                                     QByteArray("owned\n"), bytes + bytes, QByteArray(bytes).replace(0, 1, "X")})
        EXPECT_FALSE(X11ClipboardServer::decode(broken)) << broken.size();
}

} // namespace
