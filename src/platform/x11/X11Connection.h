#pragma once

#include <QtGlobal>

struct xcb_connection_t;

// A connection of our own to the X server named by DISPLAY, closed on destruction. Kept apart
// from Qt's so that the platform code works whatever Qt's platform plugin is.
class X11Connection {
public:
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection &) = delete;
    X11Connection &operator=(const X11Connection &) = delete;

    // False when no X server could be reached; nothing else may be called then.
    bool isValid() const { return m_connection != nullptr; }
    xcb_connection_t *get() const { return m_connection; }
    quint32 rootWindow() const { return m_rootWindow; }
    bool hasXTest() const;
    // The window owning the named selection ("CLIPBOARD", "PRIMARY"); 0 when nobody owns it.
    quint32 selectionOwner(const char *selection) const;

private:
    xcb_connection_t *m_connection = nullptr;
    quint32 m_rootWindow = 0;
};
