#include "platform/x11/X11HotkeyRegistrationBackend.h"

#include "platform/x11/X11HotkeyEventFilter.h"
#include "hotkey/HotkeyRegistrationError.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
// Last: Xlib's macros (None, Bool, Status, ...) would clash with the headers above.
#include <X11/Xlib.h>

namespace {

// Where and how the hotkey is grabbed, as the server's current keyboard mapping has it.
struct X11HotkeyKey {
    xcb_window_t rootWindow = XCB_NONE;
    xcb_keycode_t keycode = 0;
    std::uint16_t numLockMask = 0;
};

class X11HotkeyHandlerToken : public HotkeyHandlerToken {
public:
    explicit X11HotkeyHandlerToken(std::unique_ptr<X11HotkeyEventFilter> filter) : filter(std::move(filter)) {}
    std::unique_ptr<X11HotkeyEventFilter> filter;
};

class X11RegisteredHotkeyToken : public RegisteredHotkeyToken {
public:
    xcb_window_t rootWindow = XCB_NONE;
    xcb_keycode_t keycode = 0;
    std::vector<std::uint16_t> modifiers;
};

// Qt's connection, looked up on every call: it is gone once the application object is, and
// the server drops our grabs with it.
xcb_connection_t *qtConnection(Display **display = nullptr)
{
    auto *application = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!application)
        return nullptr;
    if (display)
        *display = application->display();
    return application->connection();
}

// The root window of the screen Qt opened the display on.
xcb_window_t defaultRootWindow(xcb_connection_t *connection, Display *display)
{
    int screenNumber = display ? XDefaultScreen(display) : 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem > 0; xcb_screen_next(&it)) {
        if (screenNumber-- == 0)
            return it.data->root;
    }
    return XCB_NONE;
}

std::vector<xcb_keycode_t> keycodesFor(xcb_key_symbols_t *symbols, xcb_keysym_t keysym)
{
    std::vector<xcb_keycode_t> result;
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
    for (xcb_keycode_t *code = codes; code && *code != XCB_NO_SYMBOL; ++code)
        result.push_back(*code);
    std::free(codes);
    return result;
}

// Num Lock is not a fixed modifier: whichever of Mod1..Mod5 carries its key in the modifier
// map (usually Mod2). Zero when it carries none.
std::uint16_t numLockMask(xcb_connection_t *connection, const std::vector<xcb_keycode_t> &numLockKeys)
{
    if (numLockKeys.empty())
        return 0;
    xcb_get_modifier_mapping_reply_t *reply =
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    if (!reply)
        return 0;
    std::uint16_t mask = 0;
    const xcb_keycode_t *keys = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    // Shift, Lock and Control (indexes 0 to 2) are not candidates.
    for (int modifier = 3; modifier < 8 && mask == 0; ++modifier) {
        for (int slot = 0; slot < perModifier; ++slot) {
            const xcb_keycode_t key = keys[modifier * perModifier + slot];
            if (key != XCB_NO_SYMBOL && std::find(numLockKeys.begin(), numLockKeys.end(), key) != numLockKeys.end()) {
                mask = static_cast<std::uint16_t>(1u << modifier);
                break;
            }
        }
    }
    std::free(reply);
    return mask;
}

std::optional<X11HotkeyKey> resolveHotkeyKey(xcb_connection_t *connection, Display *display, xcb_keysym_t keysym)
{
    X11HotkeyKey key;
    key.rootWindow = defaultRootWindow(connection, display);
    if (key.rootWindow == XCB_NONE)
        return std::nullopt;
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    if (!symbols)
        return std::nullopt;
    const std::vector<xcb_keycode_t> dKeys = keycodesFor(symbols, keysym);
    const std::vector<xcb_keycode_t> numLockKeys = keycodesFor(symbols, XK_Num_Lock);
    xcb_key_symbols_free(symbols);
    if (dKeys.empty())
        return std::nullopt;
    key.keycode = dKeys.front();
    key.numLockMask = numLockMask(connection, numLockKeys);
    return key;
}

// The shortcut's modifiers with every combination of the lock modifiers, without repeats
// when Num Lock has none.
std::vector<std::uint16_t> grabModifiers(std::uint16_t base, std::uint16_t numLockMask)
{
    std::vector<std::uint16_t> result;
    for (std::uint16_t locks : {std::uint16_t(0), std::uint16_t(XCB_MOD_MASK_LOCK), numLockMask,
                                std::uint16_t(XCB_MOD_MASK_LOCK | numLockMask)}) {
        const auto modifiers = static_cast<std::uint16_t>(base | locks);
        if (std::find(result.begin(), result.end(), modifiers) == result.end())
            result.push_back(modifiers);
    }
    return result;
}

void ungrab(xcb_connection_t *connection, const X11RegisteredHotkeyToken &token)
{
    for (std::uint16_t modifiers : token.modifiers)
        xcb_ungrab_key(connection, token.keycode, token.rootWindow, modifiers);
    xcb_flush(connection);
}

} // namespace

X11HotkeyRegistrationBackend::X11HotkeyRegistrationBackend(GlobalShortcut shortcut) : m_shortcut(std::move(shortcut)) {}

quint32 X11HotkeyRegistrationBackend::keysym(const GlobalShortcut &shortcut)
{
    const QString &key = shortcut.key;
    if (key.size() == 1)
        return key[0].isDigit() ? XK_0 + (key[0].unicode() - '0') : XK_a + (key[0].toLower().unicode() - 'a');
    return XK_F1 + (key.mid(1).toUInt() - 1);
}

quint16 X11HotkeyRegistrationBackend::modifierMask(const GlobalShortcut &shortcut)
{
    quint16 mask = 0;
    if (shortcut.modifiers & GlobalShortcut::shift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (shortcut.modifiers & GlobalShortcut::control)
        mask |= XCB_MOD_MASK_CONTROL;
    if (shortcut.modifiers & GlobalShortcut::alt)
        mask |= XCB_MOD_MASK_1;
    if (shortcut.modifiers & GlobalShortcut::super)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

std::unique_ptr<HotkeyHandlerToken> X11HotkeyRegistrationBackend::installHandler(std::function<void()> onTrigger)
{
    Display *display = nullptr;
    xcb_connection_t *connection = qtConnection(&display);
    if (!connection)
        throw HotkeyRegistrationError::eventHandlerInstallationFailed();
    const std::optional<X11HotkeyKey> key = resolveHotkeyKey(connection, display, keysym(m_shortcut));
    if (!key)
        throw HotkeyRegistrationError::eventHandlerInstallationFailed();
    auto filter = std::make_unique<X11HotkeyEventFilter>(key->rootWindow, key->keycode, key->numLockMask,
                                                         std::move(onTrigger), modifierMask(m_shortcut));
    QCoreApplication::instance()->installNativeEventFilter(filter.get());
    return std::make_unique<X11HotkeyHandlerToken>(std::move(filter));
}

void X11HotkeyRegistrationBackend::removeHandler(std::unique_ptr<HotkeyHandlerToken> token)
{
    auto *handler = dynamic_cast<X11HotkeyHandlerToken *>(token.get());
    if (!handler || !handler->filter)
        return;
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeNativeEventFilter(handler->filter.get());
}

std::unique_ptr<RegisteredHotkeyToken> X11HotkeyRegistrationBackend::registerDefaultHotkey()
{
    Display *display = nullptr;
    xcb_connection_t *connection = qtConnection(&display);
    if (!connection)
        throw HotkeyRegistrationError::hotkeyRegistrationFailed();
    const std::optional<X11HotkeyKey> key = resolveHotkeyKey(connection, display, keysym(m_shortcut));
    if (!key)
        throw HotkeyRegistrationError::hotkeyRegistrationFailed();

    auto token = std::make_unique<X11RegisteredHotkeyToken>();
    token->rootWindow = key->rootWindow;
    token->keycode = key->keycode;
    const std::vector<std::uint16_t> modifiers = grabModifiers(modifierMask(m_shortcut), key->numLockMask);
    // Send every grab before waiting for any answer: one round trip instead of four.
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint16_t each : modifiers) {
        // owner_events off: the press is reported on the root window, where our event filter
        // looks for it, even while one of our own windows has the focus.
        cookies.push_back(xcb_grab_key_checked(connection, 0, key->rootWindow, each, key->keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool failed = false;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookies[i])) {
            // BadAccess: another client grabbed this combination first.
            failed = true;
            std::free(error);
        } else {
            token->modifiers.push_back(modifiers[i]);
        }
    }
    if (failed) {
        ungrab(connection, *token);
        throw HotkeyRegistrationError::hotkeyRegistrationFailed();
    }
    return token;
}

void X11HotkeyRegistrationBackend::unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken> token)
{
    auto *hotkey = dynamic_cast<X11RegisteredHotkeyToken *>(token.get());
    if (!hotkey)
        return;
    if (xcb_connection_t *connection = qtConnection())
        ungrab(connection, *hotkey);
}
