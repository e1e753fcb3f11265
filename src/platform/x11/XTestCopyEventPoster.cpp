#include "platform/x11/XTestCopyEventPoster.h"

#include "platform/x11/X11Connection.h"
#include "foundation/AppError.h"

#include <QByteArrayList>
#include <QSet>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>
#include <optional>

namespace {

template<typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template<typename T>
XcbReply<T> adopt(T *reply)
{
    return XcbReply<T>(reply, &std::free);
}

// Instance or class names (lower-cased) of the programs where Ctrl+C may interrupt a process
// instead of copying: terminal emulators found on Linux desktops, then editors and IDEs with a
// terminal inside, where we cannot tell whether the editor or the terminal has the focus. None
// of them gets a keystroke, not even a terminal's own Ctrl+Shift+C: xterm, urxvt and st send
// that as ^C too, and in the editors it runs another command (VS Code opens a terminal window,
// JetBrains IDEs copy the file's path). Their selection is read from PRIMARY, which all of
// them set. Keep docs/ARCHITECTURE.md's list in step.
const QSet<QByteArray> &terminalWindowClasses()
{
    static const QSet<QByteArray> classes{
        "xterm", "uxterm", "rxvt", "urxvt", "urxvt-unicode", "rxvt-unicode", "aterm", "eterm",
        "gnome-terminal", "gnome-terminal-server", "org.gnome.terminal", "kgx", "org.gnome.console",
        "ptyxis", "org.gnome.ptyxis", "konsole", "org.kde.konsole", "xfce4-terminal", "terminal",
        "alacritty", "kitty", "terminator", "tilix", "com.gexperts.tilix", "terminix", "st",
        "st-256color", "wezterm", "org.wezfurlong.wezterm", "foot", "footclient", "lxterminal",
        "mate-terminal", "qterminal", "sakura", "terminology", "guake", "yakuake", "tilda",
        "cool-retro-term", "deepin-terminal", "mlterm", "roxterm", "termite", "kterm", "lilyterm",
        "hyper", "tabby", "contour", "zutty", "blackbox", "com.raggesilver.blackbox",
        "x-terminal-emulator", "io.elementary.terminal", "pantheon-terminal", "cutefish-terminal",
        "rio", "ghostty", "com.mitchellh.ghostty", "warp", "dev.warp.warp",
        // Visual Studio Code and its builds, Emacs (vterm, ansi-term), Kate and Geany (terminal
        // panels), gVim (:terminal), Zed; JetBrains IDEs by the prefix below.
        "code", "code - oss", "code-oss", "code-insiders", "vscodium", "codium", "emacs", "kate", "geany", "gvim",
        "zed", "dev.zed.zed",
    };
    return classes;
}

std::optional<QByteArray> windowClassOf(xcb_connection_t *connection, xcb_window_t window)
{
    const auto reply = adopt(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_ANY, 0, 256), nullptr));
    if (!reply || reply->type == XCB_NONE)
        return std::nullopt;
    const int length = xcb_get_property_value_length(reply.get());
    QByteArray windowClass(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
    // Window managers put an empty WM_CLASS on their own helper windows (Openbox focuses one
    // when no application has the focus).
    if (QByteArray(windowClass).replace('\0', QByteArray()).isEmpty())
        return std::nullopt;
    return windowClass;
}

// The window of the focused application and its WM_CLASS: the focus window or its nearest
// ancestor carrying WM_CLASS. When the focus follows the pointer (PointerRoot, or the root
// window itself), it is the window under the pointer.
std::optional<QByteArray> focusedApplicationWindowClass(xcb_connection_t *connection, xcb_window_t root)
{
    const auto focus =
        adopt(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    if (!focus || focus->focus == XCB_NONE)
        return std::nullopt;

    if (focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == root) {
        xcb_window_t window = root;
        for (;;) {
            const auto pointer =
                adopt(xcb_query_pointer_reply(connection, xcb_query_pointer(connection, window), nullptr));
            if (!pointer || pointer->child == XCB_NONE)
                return std::nullopt;
            window = pointer->child;
            if (auto windowClass = windowClassOf(connection, window))
                return windowClass;
        }
    }

    for (xcb_window_t window = focus->focus; window != XCB_NONE && window != root;) {
        if (auto windowClass = windowClassOf(connection, window))
            return windowClass;
        const auto tree = adopt(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
        if (!tree)
            return std::nullopt;
        window = tree->parent;
    }
    // Focus on a window that no application claims (a window manager's own helper window,
    // typically): nobody would receive the keystroke.
    return std::nullopt;
}

void releaseHeldModifiers(xcb_connection_t *connection)
{
    const auto keymap = adopt(xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr));
    const auto mapping =
        adopt(xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!keymap || !mapping)
        return;
    const xcb_keycode_t *keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    constexpr int lockModifierIndex = 1;
    for (int modifier = 0; modifier < 8; ++modifier) {
        // Caps Lock latches; releasing its key changes nothing and is better left untouched.
        if (modifier == lockModifierIndex)
            continue;
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
            const bool isDown = keycode != 0 && (keymap->keys[keycode / 8] & (1 << (keycode % 8)));
            if (isDown)
                xcb_test_fake_input(connection, XCB_KEY_RELEASE, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
    }
}

std::optional<xcb_keycode_t> keycodeFor(xcb_key_symbols_t *symbols, xcb_keysym_t keysym)
{
    std::unique_ptr<xcb_keycode_t, decltype(&std::free)> keycodes(xcb_key_symbols_get_keycode(symbols, keysym),
                                                                  &std::free);
    if (!keycodes || keycodes.get()[0] == XCB_NO_SYMBOL)
        return std::nullopt;
    return keycodes.get()[0];
}

} // namespace

void XTestCopyEventPoster::postCopyShortcut()
{
    const X11Connection x11;
    if (!x11.isValid() || !x11.hasXTest())
        throw AppError::selectedTextUnavailable();
    xcb_connection_t *connection = x11.get();

    const std::optional<QByteArray> windowClass = focusedApplicationWindowClass(connection, x11.rootWindow());
    if (!windowClass || isTerminalHostWindowClass(*windowClass))
        throw AppError::selectedTextUnavailable();

    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(connection),
                                                                                &xcb_key_symbols_free);
    const auto control = keycodeFor(symbols.get(), XK_Control_L);
    const auto letterC = keycodeFor(symbols.get(), XK_c);
    if (!control || !letterC)
        throw AppError::selectedTextUnavailable();

    releaseHeldModifiers(connection);
    const std::pair<uint8_t, xcb_keycode_t> sequence[] = {
        {XCB_KEY_PRESS, *control}, {XCB_KEY_PRESS, *letterC}, {XCB_KEY_RELEASE, *letterC}, {XCB_KEY_RELEASE, *control}};
    // The first key waits a couple of milliseconds on the server. Selection ownership is
    // ordered by server timestamps in whole milliseconds, and the clipboard was cleared just
    // now: a copy stamped in that same millisecond is ignored by Qt, ours and the target's
    // alike, as if it came before the clearing.
    constexpr uint32_t firstKeyDelayMilliseconds = 2;
    xcb_void_cookie_t cookies[std::size(sequence)];
    for (std::size_t i = 0; i < std::size(sequence); ++i) {
        const uint32_t delay = i == 0 ? firstKeyDelayMilliseconds : XCB_CURRENT_TIME;
        cookies[i] = xcb_test_fake_input_checked(connection, sequence[i].first, sequence[i].second, delay, XCB_NONE,
                                                 0, 0, 0);
    }
    bool failed = false;
    for (const auto cookie : cookies) {
        if (auto error = adopt(xcb_request_check(connection, cookie)))
            failed = true;
    }
    if (failed)
        throw AppError::selectedTextUnavailable();
}

bool XTestCopyEventPoster::isTerminalHostWindowClass(const QByteArray &wmClass)
{
    const QByteArrayList names = wmClass.split('\0');
    for (const QByteArray &name : names) {
        const QByteArray lowered = name.toLower();
        // jetbrains-idea, jetbrains-pycharm, jetbrains-studio (Android Studio), ...
        if (!name.isEmpty() && (terminalWindowClasses().contains(lowered) || lowered.startsWith("jetbrains-")))
            return true;
    }
    return false;
}
