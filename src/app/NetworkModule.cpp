#include "app/NetworkModule.h"

#include "app/ModuleLoader.h"

NetworkModule &NetworkModule::load()
{
    static NetworkModule &module =
        ModuleLoader::load<NetworkModule>("librarozezev-network.so", "rarozezevNetworkModule");
    return module;
}
