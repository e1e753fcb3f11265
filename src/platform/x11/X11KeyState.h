#pragma once

#include <QtGlobal>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class X11Connection;

// Whether a key is held down at this moment, as the X server sees the keyboard. An active
// passive grab (our Alt+D) lasts until its key goes up, and key events posted before that,
// the copy keystroke among them, go to the grabbing client instead of the focused window.
class X11KeyState {
public:
    // The key producing `keysym` (any of its key codes). Connects to the server named by DISPLAY.
    explicit X11KeyState(quint32 keysym);
    ~X11KeyState();
    X11KeyState(const X11KeyState &) = delete;
    X11KeyState &operator=(const X11KeyState &) = delete;

    // False without an X server or a key for the symbol.
    bool isDown() const;
    // Whether any key at all is down, modifiers included: a desktop's shortcut grabs its key
    // the same way. False without an X server.
    bool isAnyKeyDown() const;

private:
    // The server's bit per key code; nothing without an X server.
    std::optional<std::array<quint8, 32>> keymap() const;

    std::unique_ptr<X11Connection> m_x11;
    std::vector<quint8> m_keycodes;
};
