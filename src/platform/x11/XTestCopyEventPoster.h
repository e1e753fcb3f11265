#pragma once

#include "capture/SelectionCopyEventPosting.h"

#include <QByteArray>

// Posts Ctrl+C with XTEST to the window that has the keyboard focus. Modifiers still held from
// the hotkey are released first: with Alt down the application would see Ctrl+Alt+C and copy
// nothing. Terminal emulators and programs with a terminal inside are left alone, since there
// Ctrl+C may interrupt the running program instead of copying.
class XTestCopyEventPoster : public SelectionCopyEventPosting {
public:
    // Throws AppError::selectedTextUnavailable without posting anything when there is no X
    // server with XTEST, no focused application window, or the focused window hosts a terminal.
    void postCopyShortcut() override;

    // `wmClass` is a raw WM_CLASS property: the instance and the class name, each ending in
    // NUL. True when either name is a known terminal emulator or program with a terminal
    // inside (case-insensitive).
    static bool isTerminalHostWindowClass(const QByteArray &wmClass);
};
