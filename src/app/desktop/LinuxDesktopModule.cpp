#include "app/desktop/LinuxDesktopModule.h"

#include "app/AppServices.h"
#include "app/RarozezevApp.h"
#include "app/desktop/DesktopServices.h"
#include "platform/keyring/KeychainAPIKeyStore.h"
#include "platform/wayland/WaylandDataControlSelection.h"
#include "platform/x11/X11ClipboardServer.h"
#include "platform/x11/X11Connection.h"

#include <QApplication>
#include <QGuiApplication>

std::unique_ptr<QCoreApplication> LinuxDesktopModule::makeApplication(Application kind, int &argc, char **argv)
{
    if (kind == Application::widgets)
        return std::make_unique<QApplication>(argc, argv);
    return std::make_unique<QGuiApplication>(argc, argv);
}

bool LinuxDesktopModule::isX11DisplayReachable() { return X11Connection().isValid(); }

bool LinuxDesktopModule::isWaylandSelectionReadable() { return WaylandDataControlSelection().isAvailable(); }

QCoro::Task<int> LinuxDesktopModule::serveClipboard() { return X11ClipboardServer::serve(); }

std::shared_ptr<APIKeyStoring> LinuxDesktopModule::makeAPIKeyStore(const QString &account)
{
    return std::make_shared<KeychainAPIKeyStore>(account);
}

std::unique_ptr<DesktopServicing> LinuxDesktopModule::makeServices(AppServices &services)
{
    return std::make_unique<DesktopServices>(services);
}

int LinuxDesktopModule::runTrayApplication(AppServices &services)
{
    // AppServices holds the services this module made for it.
    return RarozezevApp::run(services, static_cast<DesktopServices &>(services.desktop()));
}

// Looked up by name when the program loads the module.
extern "C" __attribute__((visibility("default"))) DesktopModule &rarozezevDesktopModule()
{
    static LinuxDesktopModule module;
    return module;
}
