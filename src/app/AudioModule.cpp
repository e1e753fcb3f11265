#include "app/AudioModule.h"

#include "app/ModuleLoader.h"

#include <atomic>

namespace {

std::atomic<AudioModule *> loadedModule{nullptr};

} // namespace

AudioModule &AudioModule::load()
{
    static AudioModule &module =
        *(loadedModule = &ModuleLoader::load<AudioModule>("librarozezev-audio.so", "rarozezevAudioModule"));
    return module;
}

AudioModule *AudioModule::loaded() { return loadedModule.load(); }
