#include "foundation/AppNotificationCenter.h"

AppNotificationCenter &AppNotificationCenter::shared()
{
    static AppNotificationCenter center;
    return center;
}
