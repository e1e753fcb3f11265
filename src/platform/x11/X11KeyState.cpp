#include "platform/x11/X11KeyState.h"

#include "platform/x11/X11Connection.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

X11KeyState::X11KeyState(quint32 keysym) : m_x11(std::make_unique<X11Connection>())
{
    if (!m_x11->isValid())
        return;
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(m_x11->get());
    if (!symbols)
        return;
    if (xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym)) {
        for (xcb_keycode_t *code = codes; *code != XCB_NO_SYMBOL; ++code)
            m_keycodes.push_back(*code);
        std::free(codes);
    }
    xcb_key_symbols_free(symbols);
}

X11KeyState::~X11KeyState() = default;

bool X11KeyState::isDown() const
{
    if (!m_x11->isValid() || m_keycodes.empty())
        return false;
    xcb_connection_t *connection = m_x11->get();
    xcb_query_keymap_reply_t *keymap = xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (!keymap)
        return false;
    bool down = false;
    for (quint8 keycode : m_keycodes)
        down = down || (keymap->keys[keycode / 8] & (1 << (keycode % 8)));
    std::free(keymap);
    return down;
}
