#pragma once

#include <atomic>
#include <mutex>

// Loads the program's modules, which lie beside it: under the library folder of an
// installation, or in the build tree's lib folder.
namespace ModuleLoader {

// The address of `entryPoint` in the module file `fileName`. Throws std::runtime_error with
// the learner's message when the module is missing or broken (an incomplete installation).
void *entry(const char *fileName, const char *entryPoint);

// The module whose entry `entryPoint` returns it, loaded into `slot` on the first call from
// any thread; a failed load throws and is tried again on the next call.
template<typename Module>
Module &load(std::atomic<Module *> &slot, const char *fileName, const char *entryPoint)
{
    if (Module *module = slot.load())
        return *module;
    static std::mutex loading;
    const std::lock_guard lock(loading);
    if (Module *module = slot.load())
        return *module;
    Module &module = reinterpret_cast<Module &(*)()>(entry(fileName, entryPoint))();
    slot = &module;
    return module;
}

} // namespace ModuleLoader
