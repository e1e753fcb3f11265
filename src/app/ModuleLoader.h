#pragma once

// Loads the program's modules, which lie beside it: under the library folder of an
// installation, or in the build tree's lib folder.
namespace ModuleLoader {

// The address of `entryPoint` in the module file `fileName`. Throws std::runtime_error with
// the learner's message when the module is missing or broken (an incomplete installation).
void *entry(const char *fileName, const char *entryPoint);

// The module whose entry `entryPoint` returns it. Callers keep it in a function-local static,
// which loads it once from any thread and, when loading throws, tries again on the next call.
template<typename Module>
Module &load(const char *fileName, const char *entryPoint)
{
    return reinterpret_cast<Module &(*)()>(entry(fileName, entryPoint))();
}

} // namespace ModuleLoader
