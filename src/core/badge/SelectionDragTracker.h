#pragma once

#include <QPointF>

#include <optional>

// Follows one left-button press and decides at its release whether the gesture looked like
// a text selection: a drag, or a double or triple click.
struct SelectionDragTracker {
    static constexpr double minimumSelectionDragDistance = 4.0;

    std::optional<QPointF> mouseDownPoint;
    bool hasMeaningfulDrag = false;

    void mouseDown(QPointF at);
    void mouseDragged(QPointF to);
    // True for a drag of at least the minimum distance or a click count of 2 or more; false
    // when no press is tracked. Forgets the press either way.
    bool shouldCaptureOnMouseUp(QPointF at, int clickCount);
    void reset();
};
