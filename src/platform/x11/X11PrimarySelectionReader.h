#pragma once

#include "capture/AccessibilitySelectedTextReading.h"

// The X11 PRIMARY selection: whatever the user last selected in any X11 or XWayland
// application, readable without a keystroke and without touching the clipboard.
class X11PrimarySelectionReader : public AccessibilitySelectedTextReading {
public:
    // Needs a QGuiApplication on the xcb platform. Qt's read is synchronous, bounded by its own
    // timeout when the owner does not answer.
    std::optional<QString> selectedText() override;
};
