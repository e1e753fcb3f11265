#include "app/ModuleLoader.h"

#include "logging/AppLogger.h"

#include <QByteArray>

#include <dlfcn.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace {

QByteArray executableDirectory()
{
    QByteArray path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), static_cast<size_t>(path.size()));
    if (length <= 0)
        return {};
    path.truncate(length);
    return path.left(path.lastIndexOf('/'));
}

} // namespace

void *ModuleLoader::entry(const char *fileName, const char *entryPoint)
{
    // Only these two places are tried, never a search path, so that nothing in the
    // environment can put other code into the program.
    const QByteArray directory = executableDirectory();
    QByteArray failures;
    for (const char *folder : {RAROZEZEV_MODULE_DIR_INSTALLED, RAROZEZEV_MODULE_DIR_IN_BUILD}) {
        const QByteArray path = directory + '/' + folder + '/' + fileName;
        if (access(path.constData(), F_OK) != 0)
            continue;
        // Its own libraries stay local to it; what it shares with the program resolves to
        // the program's own copy.
        if (void *handle = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL)) {
            if (void *address = dlsym(handle, entryPoint))
                return address;
        }
        failures += QByteArray(dlerror()) + "; ";
    }
    AppLogger::error([&] {
        return QStringLiteral("Cannot load the module %1 beside %2: %3")
            .arg(QString::fromLatin1(fileName), QString::fromLocal8Bit(directory),
                 failures.isEmpty() ? QStringLiteral("not found") : QString::fromLocal8Bit(failures));
    });
    throw std::runtime_error("无法加载程序组件 " + std::string(fileName) + "，程序的安装可能不完整，请重新安装。");
}
