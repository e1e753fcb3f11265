#pragma once

class QWidget;

// Where the shell's windows appear when they are first opened.
class WindowPlacement {
public:
    // Centres the window on the screen under the pointer (the primary screen without one).
    static void centreOnScreenUnderPointer(QWidget *window);
};
