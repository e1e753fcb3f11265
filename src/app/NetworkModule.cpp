#include "app/NetworkModule.h"

#include "app/ModuleLoader.h"

namespace {

std::atomic<NetworkModule *> loadedModule{nullptr};

} // namespace

NetworkModule &NetworkModule::load()
{
    return ModuleLoader::load(loadedModule, "librarozezev-network.so", "rarozezevNetworkModule");
}
