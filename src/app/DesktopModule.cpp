#include "app/DesktopModule.h"

#include "app/ModuleLoader.h"

#include <atomic>

namespace {

std::atomic<DesktopModule *> loadedModule{nullptr};

} // namespace

DesktopModule &DesktopModule::load()
{
    if (DesktopModule *module = loadedModule.load())
        return *module;
    // A failed load throws and is tried again on the next call.
    static DesktopModule &module =
        reinterpret_cast<DesktopModule &(*)()>(ModuleLoader::entry("librarozezev-desktop.so", "rarozezevDesktopModule"))();
    loadedModule = &module;
    return module;
}

DesktopModule *DesktopModule::loaded() { return loadedModule.load(); }
