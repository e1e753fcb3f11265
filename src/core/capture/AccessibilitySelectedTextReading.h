#pragma once

#include <QString>

#include <optional>

// Reads the current selection without disturbing the application that holds it.
class AccessibilitySelectedTextReading {
public:
    virtual ~AccessibilitySelectedTextReading() = default;

    // The selected text as the application reports it (untrimmed); nothing when unavailable.
    virtual std::optional<QString> selectedText() = 0;
};
