#include "platform/x11/X11Connection.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

X11Connection::X11Connection()
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    // xcb_connect never returns null; a failed connection is an error object that must
    // still be disconnected.
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_rootWindow = screens.data->root;
}

X11Connection::~X11Connection()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11Connection::hasXTest() const
{
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(m_connection, &xcb_test_id);
    return extension && extension->present;
}

quint32 X11Connection::selectionOwner(const char *selection) const
{
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(m_connection,
                              xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(selection)), selection),
                              nullptr),
        &std::free);
    if (!atom)
        return 0;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, atom->atom), nullptr),
        &std::free);
    return owner ? owner->owner : 0;
}
