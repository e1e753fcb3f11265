#pragma once

#include <QCoroTask>
#include <QString>

#include <memory>

class APIKeyStoring;
class AppServices;
class DesktopServicing;
class QCoreApplication;

// The part of the program that talks to the desktop: Qt Gui and Widgets, X11, Wayland, D-Bus
// and the keyring, with the tray application and its windows (sound is AudioModule's). It is a
// module of its own, loaded on first use, so that a command that needs none of it (`--version`,
// a lookup with the key in the environment, the collection) starts as a Qt Core program does.
class DesktopModule {
public:
    // Which Qt application object a run needs.
    enum class Application { gui, widgets };

    virtual ~DesktopModule() = default;

    // The module of this installation, loaded on the first call. Throws std::runtime_error
    // when it cannot be loaded (an incomplete installation).
    static DesktopModule &load();

    virtual std::unique_ptr<QCoreApplication> makeApplication(Application kind, int &argc, char **argv) = 0;
    // An X11 display server answers at DISPLAY.
    virtual bool isX11DisplayReachable() = 0;
    // The Wayland compositor gives the selection to a client without a window (data-control).
    virtual bool isWaylandSelectionReadable() = 0;
    // Serves the clipboard a command handed over on standard input until another client copies.
    virtual QCoro::Task<int> serveClipboard() = 0;
    // The key of `account` in the Secret Service keyring.
    virtual std::shared_ptr<APIKeyStoring> makeAPIKeyStore(const QString &account) = 0;
    // The desktop collaborators of `services`; they live as long as it does.
    virtual std::unique_ptr<DesktopServicing> makeServices(AppServices &services) = 0;
    // Runs the tray application in the QApplication made above; the process exit code.
    virtual int runTrayApplication(AppServices &services) = 0;
};
