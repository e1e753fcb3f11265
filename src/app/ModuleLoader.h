#pragma once

// Loads one of the program's modules, which lie beside it: under the library folder of an
// installation, or in the build tree's lib folder.
namespace ModuleLoader {

// The address of `entryPoint` in the module file `fileName`, loaded on the first call for
// it. Throws std::runtime_error with the learner's message when the module is missing or
// broken (an incomplete installation).
void *entry(const char *fileName, const char *entryPoint);

} // namespace ModuleLoader
