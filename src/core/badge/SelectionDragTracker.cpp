#include "badge/SelectionDragTracker.h"

#include <cmath>

namespace {

double distance(QPointF from, QPointF to)
{
    return std::hypot(to.x() - from.x(), to.y() - from.y());
}

} // namespace

void SelectionDragTracker::mouseDown(QPointF at)
{
    mouseDownPoint = at;
    hasMeaningfulDrag = false;
}

void SelectionDragTracker::mouseDragged(QPointF to)
{
    if (mouseDownPoint && distance(*mouseDownPoint, to) >= minimumSelectionDragDistance)
        hasMeaningfulDrag = true;
}

bool SelectionDragTracker::shouldCaptureOnMouseUp(QPointF at, int clickCount)
{
    if (!mouseDownPoint)
        return false;
    const bool isSelection = clickCount >= 2 || hasMeaningfulDrag
        || distance(*mouseDownPoint, at) >= minimumSelectionDragDistance;
    reset();
    return isSelection;
}

void SelectionDragTracker::reset()
{
    mouseDownPoint.reset();
    hasMeaningfulDrag = false;
}
