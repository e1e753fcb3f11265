#include "app/DesktopModule.h"

#include "app/ModuleLoader.h"

namespace {

std::atomic<DesktopModule *> loadedModule{nullptr};

} // namespace

DesktopModule &DesktopModule::load()
{
    return ModuleLoader::load(loadedModule, "librarozezev-desktop.so", "rarozezevDesktopModule");
}
