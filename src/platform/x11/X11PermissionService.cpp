#include "platform/x11/X11PermissionService.h"

#include "platform/x11/X11Connection.h"

bool X11PermissionService::isAccessibilityTrusted() const
{
    const X11Connection connection;
    return connection.isValid() && connection.hasXTest();
}
