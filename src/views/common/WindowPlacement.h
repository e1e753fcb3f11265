#pragma once

#include <QRect>

class QWidget;

// Where the shell's windows appear when they are first opened, and how large.
class WindowPlacement {
public:
    // Fits the window to the screen under the pointer (the primary screen without one) and
    // centres it there.
    static void centreOnScreenUnderPointer(QWidget *window);
    // Shrinks the window, and the smallest size it may be given, to `available` with room
    // for a title bar, and centres it there; a window that fits keeps its size.
    static void fitInto(QWidget *window, const QRect &available);
};
