#include "platform/wayland/WaylandMouseWatchUnavailable.h"

#include "logging/AppLogger.h"

QString WaylandMouseWatchUnavailable::reason()
{
    return QStringLiteral("Wayland 不允许程序观察其他窗口中的鼠标操作，因此选词按钮在此会话中不可用；"
                          "请选中文字后按快捷键查词。");
}

bool WaylandMouseWatchUnavailable::start(std::function<void(const SelectionMouseEvent &)>)
{
    AppLogger::error([] { return QStringLiteral("Selection badge off: a Wayland session shows no program the pointer over other windows."); });
    return false;
}
