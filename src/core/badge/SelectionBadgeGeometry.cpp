#include "badge/SelectionBadgeGeometry.h"

#include <algorithm>

namespace {

// Screens tile the desktop edge to edge, so a frame holds its left and top edges but not its
// right and bottom ones: the pixel at x = 1280 belongs to the screen to the right.
bool frameContains(const QRectF &frame, QPointF point)
{
    return point.x() >= frame.left() && point.x() < frame.right() && point.y() >= frame.top()
        && point.y() < frame.bottom();
}

double clamped(double value, double minimum, double maximum)
{
    return std::min(std::max(value, minimum), std::max(minimum, maximum));
}

} // namespace

QRectF SelectionBadgeGeometry::visibleFrame(QPointF containing, const QList<SelectionBadgeScreen> &screens,
                                            qsizetype mainScreen)
{
    for (const SelectionBadgeScreen &screen : screens) {
        if (frameContains(screen.frame, containing))
            return screen.visibleFrame;
    }
    if (mainScreen >= 0 && mainScreen < screens.size())
        return screens.at(mainScreen).visibleFrame;
    if (!screens.isEmpty())
        return screens.first().visibleFrame;
    return QRectF();
}

QRectF SelectionBadgeGeometry::badgeFrame(QPointF near, const QRectF &visibleFrame)
{
    return badgeFrame(near, visibleFrame, badgeSize, badgeOffset);
}

QRectF SelectionBadgeGeometry::badgeFrame(QPointF near, const QRectF &bounds, QSizeF size, QPointF offset)
{
    const double x = clamped(near.x() + offset.x(), bounds.left(), bounds.right() - size.width());
    const double y = clamped(near.y() + offset.y(), bounds.top(), bounds.bottom() - size.height());
    return QRectF(QPointF(x, y), size);
}
