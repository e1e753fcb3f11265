#pragma once

#include <QColor>

// Colours shared by the panel windows, in the desktop's colour scheme. Qt 6.4 has no
// colour-scheme hint, so the scheme is read off the desktop palette: light text on a dark
// window is a dark scheme. Every role comes out with at least 4.5:1 contrast against the page.
class PanelColors {
public:
    enum class Role {
        // Body text, headings and untinted glyphs.
        label,
        // Captions, hints and placeholder glyphs.
        secondaryLabel,
        // The desktop's highlight colour, for selected or active controls (the pinned pin).
        accent,
        // The saved star.
        savedStar,
        // The failure symbol.
        warning,
        errorText,
    };

    // The page behind every panel window: a light grey (241/255 on each channel) in a light
    // scheme, its dark counterpart in a dark one.
    static QColor appPageBackground();
    // Fields and badges lifted off the page: white in a light scheme, a lighter grey in a dark one.
    static QColor raisedBackground();
    // The role's colour, readable on the page and on raised backgrounds alike.
    static QColor colour(Role role);

    static QColor secondaryLabel() { return colour(Role::secondaryLabel); }

    // The contrast of two colours as the accessibility guidelines define it, from 1 to 21.
    // Both are taken as opaque.
    static double contrastRatio(const QColor &first, const QColor &second);
    // `wanted` laid over `page` and, where that is too faint, made darker on a light page or
    // lighter on a dark one, keeping its hue, until the text contrast is met. Opaque.
    static QColor readableOn(const QColor &wanted, const QColor &page);

private:
    static QColor pageColour(Role role);
};
