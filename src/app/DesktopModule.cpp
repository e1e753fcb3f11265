#include "app/DesktopModule.h"

#include "logging/AppLogger.h"

#include <QByteArray>

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>

namespace {

// The one symbol the module exports: DesktopModule &(*)().
constexpr const char *entryPoint = "rarozezevDesktopModule";
using Entry = DesktopModule &(*)();

std::atomic<DesktopModule *> loadedModule{nullptr};

QByteArray executableDirectory()
{
    QByteArray path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), static_cast<size_t>(path.size()));
    if (length <= 0)
        return {};
    path.truncate(length);
    return path.left(path.lastIndexOf('/'));
}

// Where the module lies beside this program: under the library folder of an installation,
// or in the build tree's lib folder. Only these paths are tried, never a search path, so
// that nothing in the environment can put other code into the program.
DesktopModule &open()
{
    const QByteArray directory = executableDirectory();
    QByteArray failures;
    for (const char *relative : {RAROZEZEV_DESKTOP_MODULE_INSTALLED, RAROZEZEV_DESKTOP_MODULE_IN_BUILD}) {
        const QByteArray path = directory + '/' + relative;
        if (access(path.constData(), F_OK) != 0)
            continue;
        if (void *handle = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL)) {
            if (auto entry = reinterpret_cast<Entry>(dlsym(handle, entryPoint)))
                return entry();
        }
        failures += QByteArray(dlerror()) + "; ";
    }
    AppLogger::error([&] {
        return QStringLiteral("Cannot load the desktop module beside %1: %2")
            .arg(QString::fromLocal8Bit(directory), QString::fromLocal8Bit(failures));
    });
    throw std::runtime_error("无法加载桌面组件（" + std::string(RAROZEZEV_DESKTOP_MODULE_INSTALLED)
                             + "），程序的安装可能不完整，请重新安装。");
}

} // namespace

DesktopModule &DesktopModule::load()
{
    if (DesktopModule *module = loadedModule.load())
        return *module;
    static DesktopModule &module = open();
    loadedModule = &module;
    return module;
}

DesktopModule *DesktopModule::loaded() { return loadedModule.load(); }
