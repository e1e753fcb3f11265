#include "platform/x11/X11WorkspacePinning.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QList>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

// _NET_WM_DESKTOP value for "on every desktop".
constexpr quint32 kAllDesktops = 0xFFFFFFFF;
// Source indication of client messages: a normal application.
constexpr quint32 kSourceApplication = 1;
constexpr quint32 kRemove = 0;
constexpr quint32 kAdd = 1;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QList<quint32> cardinalsOrAtoms(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                xcb_atom_t type)
{
    const auto cookie = xcb_get_property(connection, 0, window, property, type, 0, 1024);
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    QList<quint32> values;
    if (reply && reply->format == 32 && reply->type == type) {
        const auto *data = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / 4;
        values = QList<quint32>(data, data + count);
    }
    return values;
}

void sendToRoot(xcb_connection_t *connection, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
                std::initializer_list<quint32> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    int index = 0;
    for (quint32 value : data) {
        event.data.data32[index++] = value;
    }
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
}

} // namespace

void X11WorkspacePinning::apply(QWindow *window, bool pinned)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!window || !x11 || !x11->connection()) {
        return;
    }
    xcb_connection_t *connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());

    const auto treeCookie = xcb_query_tree(connection, id);
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection, treeCookie, nullptr), &std::free);
    const auto attributesCookie = xcb_get_window_attributes(connection, id);
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, attributesCookie, nullptr), &std::free);
    if (!tree || !attributes) {
        return;
    }
    const xcb_window_t root = tree->root;
    const xcb_atom_t wmState = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t sticky = internAtom(connection, "_NET_WM_STATE_STICKY");
    const xcb_atom_t skipTaskbar = internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t skipPager = internAtom(connection, "_NET_WM_STATE_SKIP_PAGER");
    const xcb_atom_t wmDesktop = internAtom(connection, "_NET_WM_DESKTOP");

    if (attributes->map_state == XCB_MAP_STATE_UNMAPPED) {
        // Before mapping, the window's own properties are what the window manager reads
        // (Qt merges its hints into _NET_WM_STATE rather than replacing it).
        QList<quint32> states = cardinalsOrAtoms(connection, id, wmState, XCB_ATOM_ATOM);
        for (xcb_atom_t atom : {skipTaskbar, skipPager}) {
            if (!states.contains(atom)) {
                states.append(atom);
            }
        }
        states.removeAll(sticky);
        if (pinned) {
            states.append(sticky);
        }
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, wmState, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(states.size()), states.constData());
        if (pinned) {
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, wmDesktop, XCB_ATOM_CARDINAL, 32, 1,
                                &kAllDesktops);
        } else {
            xcb_delete_property(connection, id, wmDesktop);
        }
    } else {
        // A mapped window belongs to the window manager, which takes requests as client
        // messages to the root window. Some honour the sticky state, others only the
        // all-desktops value of _NET_WM_DESKTOP, so both are sent.
        sendToRoot(connection, root, id, wmState, {kAdd, skipTaskbar, skipPager, kSourceApplication, 0});
        sendToRoot(connection, root, id, wmState, {pinned ? kAdd : kRemove, sticky, 0, kSourceApplication, 0});
        quint32 desktop = kAllDesktops;
        if (!pinned) {
            const QList<quint32> current =
                cardinalsOrAtoms(connection, root, internAtom(connection, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL);
            desktop = current.isEmpty() ? 0 : current.front();
        }
        sendToRoot(connection, root, id, wmDesktop, {desktop, kSourceApplication, 0, 0, 0});
    }
    xcb_flush(connection);
}
