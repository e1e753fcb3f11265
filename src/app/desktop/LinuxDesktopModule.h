#pragma once

#include "app/DesktopModule.h"

// The desktop module of a Linux desktop, X11 or Wayland.
class LinuxDesktopModule final : public DesktopModule {
public:
    std::unique_ptr<QCoreApplication> makeApplication(Application kind, int &argc, char **argv) override;
    bool isX11DisplayReachable() override;
    bool isWaylandSelectionReadable() override;
    QCoro::Task<int> serveClipboard() override;
    std::shared_ptr<APIKeyStoring> makeAPIKeyStore(const QString &account) override;
    std::unique_ptr<DesktopServicing> makeServices(AppServices &services) override;
    int runTrayApplication(AppServices &services) override;
};
