#include "views/common/WindowPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// The window manager's frame is known only once the window is shown; until then, room for a
// title bar of the usual height.
constexpr QMargins kAssumedFrame(0, 32, 0, 0);

QMargins frameOf(const QWidget *window)
{
    if (window->windowFlags().testFlag(Qt::FramelessWindowHint)) {
        return {};
    }
    if (window->isVisible() && window->windowHandle()) {
        return window->windowHandle()->frameMargins();
    }
    return kAssumedFrame;
}

} // namespace

void WindowPlacement::centreOnScreenUnderPointer(QWidget *window)
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return;
    }
    fitInto(window, screen->availableGeometry());
}

void WindowPlacement::fitInto(QWidget *window, const QRect &available)
{
    const QMargins frame = frameOf(window);
    const QSize room = available.marginsRemoved(frame).size().expandedTo(QSize(1, 1));
    window->setMinimumSize(window->minimumSize().boundedTo(room));
    window->resize(window->size().boundedTo(room));
    QRect outer(QPoint(), window->size().grownBy(frame));
    outer.moveCenter(available.center());
    // Centring an odd size may push the frame out by a pixel; the top row stays reachable.
    outer.moveTopLeft(QPoint(std::max(outer.left(), available.left()), std::max(outer.top(), available.top())));
    // A window's position is that of its frame.
    window->move(outer.topLeft());
}
