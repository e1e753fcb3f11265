#pragma once

#include <QPointF>
#include <QString>

#include <functional>

// Shows and hides the floating badge next to a fresh selection.
class SelectionBadgePresenting {
public:
    virtual ~SelectionBadgePresenting() = default;

    // Replaces any badge already shown with one near the point (desktop coordinates) that
    // runs `onClick` when clicked. The badge must not take the keyboard focus.
    virtual void show(const QString &selectedText, QPointF near, std::function<void()> onClick) = 0;
    // Removes the badge, if any, and drops its click action.
    virtual void hide() = 0;
};
