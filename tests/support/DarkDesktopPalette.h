#pragma once

#include <QPalette>

#include <utility>

// A desktop palette of a dark scheme, as a dark GTK or Plasma theme hands it to Qt.
inline QPalette darkDesktopPalette()
{
    QPalette palette;
    const QColor window(53, 53, 53), text(238, 238, 238), base(42, 42, 42);
    for (auto [role, colour] : {std::pair{QPalette::Window, window}, {QPalette::WindowText, text},
                                {QPalette::Base, base}, {QPalette::AlternateBase, window}, {QPalette::Text, text},
                                {QPalette::Button, window}, {QPalette::ButtonText, text},
                                {QPalette::Highlight, QColor(42, 130, 218)}, {QPalette::HighlightedText, text},
                                {QPalette::PlaceholderText, QColor(150, 150, 150)}}) {
        palette.setColor(role, colour);
    }
    return palette;
}
