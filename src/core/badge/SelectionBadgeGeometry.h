#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// A screen as the badge placement sees it, in the desktop's coordinates (y grows downwards).
struct SelectionBadgeScreen {
    QRectF frame;
    // The frame minus panels and docks.
    QRectF visibleFrame;
};

// Where the badge goes: just right of and below the pointer, kept inside the usable area of
// the screen under the pointer.
class SelectionBadgeGeometry {
public:
    SelectionBadgeGeometry() = delete;

    static constexpr QSizeF badgeSize{42, 42};
    // Right and down from the pointer.
    static constexpr QPointF badgeOffset{12, 12};

    // The visible frame of the first screen whose frame contains the point, else that of the
    // main screen (index `mainScreen`, when valid), else the first screen's; with no screens
    // the empty rectangle at the origin.
    static QRectF visibleFrame(QPointF containing, const QList<SelectionBadgeScreen> &screens, qsizetype mainScreen = -1);

    // The badge's frame near the pointer, clamped into the visible frame (raised to its
    // minimum first, then lowered so the badge ends inside it).
    static QRectF badgeFrame(QPointF near, const QRectF &visibleFrame);
    // The same for a badge of another size and offset (the one inside a text view).
    static QRectF badgeFrame(QPointF near, const QRectF &bounds, QSizeF size, QPointF offset);
};
