#include "app/AudioModule.h"

#include "app/ModuleLoader.h"

namespace {

std::atomic<AudioModule *> loadedModule{nullptr};

} // namespace

AudioModule &AudioModule::load()
{
    return ModuleLoader::load(loadedModule, "librarozezev-audio.so", "rarozezevAudioModule");
}

AudioModule *AudioModule::loaded() { return loadedModule.load(); }
