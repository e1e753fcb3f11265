#include "platform/wayland/WaylandMouseWatchUnavailable.h"

#include "logging/AppLogger.h"

bool WaylandMouseWatchUnavailable::start(std::function<void(const SelectionMouseEvent &)>)
{
    AppLogger::error([] { return QStringLiteral("Selection badge off: a Wayland session shows no program the pointer over other windows."); });
    return false;
}
