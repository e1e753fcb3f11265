#pragma once

class QWindow;

// Window-manager hints Qt has no API for, set through the EWMH properties of an X11 window:
// a pinned window is shown on every workspace; every window passed here stays out of the
// taskbar and the pager. Does nothing when the application is not on the xcb platform.
class X11WorkspacePinning {
public:
    static void apply(QWindow *window, bool pinned);
};
