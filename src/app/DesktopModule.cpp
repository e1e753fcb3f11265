#include "app/DesktopModule.h"

#include "app/ModuleLoader.h"

DesktopModule &DesktopModule::load()
{
    static DesktopModule &module =
        ModuleLoader::load<DesktopModule>("librarozezev-desktop.so", "rarozezevDesktopModule");
    return module;
}
