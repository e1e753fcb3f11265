#include "app/AudioModule.h"

#include "app/ModuleLoader.h"

#include <atomic>

namespace {

std::atomic<AudioModule *> loadedModule{nullptr};

} // namespace

AudioModule &AudioModule::load()
{
    if (AudioModule *module = loadedModule.load())
        return *module;
    // A failed load throws and is tried again on the next call.
    static AudioModule &module =
        reinterpret_cast<AudioModule &(*)()>(ModuleLoader::entry("librarozezev-audio.so", "rarozezevAudioModule"))();
    loadedModule = &module;
    return module;
}

AudioModule *AudioModule::loaded() { return loadedModule.load(); }
