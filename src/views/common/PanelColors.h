#pragma once

#include <QColor>

// Colours shared by the panel windows.
struct PanelColors {
    // The page colour behind every panel window: a light grey, 241/255 on each channel.
    static QColor appPageBackground() { return QColor::fromRgbF(0.9450980392156862f, 0.9450980392156862f, 0.9450980392156862f, 1.0f); }
    // Secondary text and untinted glyphs: black at half strength, readable on the grey page.
    static QColor secondaryLabel() { return QColor(0, 0, 0, 128); }
    // The desktop's highlight colour, for selected or active controls (the pinned pin).
    static QColor accent();
    // The saved star: yellow at 75 % opacity.
    static QColor savedStar() { return QColor(255, 204, 0, 191); }
    static QColor errorText() { return QColor(200, 30, 30); }
};
