#include "platform/x11/X11KeyState.h"

#include "platform/x11/X11Connection.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

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

std::optional<std::array<quint8, 32>> X11KeyState::keymap() const
{
    if (!m_x11->isValid())
        return std::nullopt;
    xcb_connection_t *connection = m_x11->get();
    xcb_query_keymap_reply_t *reply = xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (!reply)
        return std::nullopt;
    std::array<quint8, 32> keys;
    std::copy(std::begin(reply->keys), std::end(reply->keys), keys.begin());
    std::free(reply);
    return keys;
}

bool X11KeyState::isDown() const
{
    const std::optional<std::array<quint8, 32>> keys = m_keycodes.empty() ? std::nullopt : keymap();
    return keys && std::any_of(m_keycodes.begin(), m_keycodes.end(),
                               [&](quint8 keycode) { return (*keys)[keycode / 8] & (1 << (keycode % 8)); });
}

bool X11KeyState::isAnyKeyDown() const
{
    const std::optional<std::array<quint8, 32>> keys = keymap();
    return keys && std::any_of(keys->begin(), keys->end(), [](quint8 byte) { return byte != 0; });
}
