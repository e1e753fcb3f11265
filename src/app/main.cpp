#include "app/AppServices.h"
#include "app/AudioModule.h"
#include "app/DesktopModule.h"
#include "app/cli/CommandErrorMessage.h"
#include "app/cli/CommandIO.h"
#include "app/cli/CommandLineInterface.h"
#include "app/cli/InterruptSignal.h"
#include "logging/AppLogFileWriter.h"
#include "platform/x11/X11ClipboardServer.h"
#include "session/DesktopSession.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

QCoro::Task<void> exitWith(QCoro::Task<int> command)
{
    const int exitCode = co_await std::move(command);
    QCoreApplication::exit(exitCode);
}

// Qt Multimedia's PulseAudio engine (Qt 6.4) is a static that, when destroyed at process exit,
// stops its thread while that thread may still be answering the sound server, and libpulse
// aborts. Once the engine has run, the process ends without static destructors: everything of
// ours is gone by then, and the log and the standard streams are flushed first.
int finish(int exitCode)
{
    AudioModule *audio = AudioModule::loaded();
    if (!audio || !audio->engineStarted())
        return exitCode;
    AppLogFileWriter::shared().waitUntilIdle();
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

int run(int argc, char *argv[])
try {
    QCoreApplication::setApplicationName(QStringLiteral("Rarozezev"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("rarozezev.com"));

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const bool headless = CommandLineInterface::wantsHeadlessRun(arguments);
    const bool servesClipboard = !arguments.isEmpty() && arguments.first() == X11ClipboardServer::subcommand;

    // Without any display Qt's platform plugin would abort the tray application; the commands
    // still work from a console or over SSH.
    const DesktopSession session = DesktopSession::current();
    if (!headless && session.kind == DesktopSession::Kind::none) {
        CommandIO{}.printError(QStringLiteral("没有图形会话（未设置 DISPLAY 或 WAYLAND_DISPLAY），无法启动托盘应用；"
                                              "请在终端中使用命令行，例如 rarozezev lookup …\n"));
        return CommandIO::failure;
    }
    // Commands stay headless; only those that use the clipboard or the selection get a GUI
    // application, on X11 whatever the session's default platform. A Wayland compositor with
    // data-control gives the selection to a headless command.
    const bool needsDisplay =
        servesClipboard
        || (CommandLineInterface::readsSelection(arguments)
            && !(session.kind == DesktopSession::Kind::wayland && DesktopModule::load().isWaylandSelectionReadable()));
    // In a Wayland session with XWayland the tray application's windows stay X11 ones, where
    // they may be placed near the pointer and the X11 mechanisms reach them.
    if (!headless && session.kind == DesktopSession::Kind::wayland && session.hasX11Display
        && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    if (needsDisplay) {
        // Qt would abort without a display; say what is missing instead.
        if (!DesktopModule::load().isX11DisplayReachable()) {
            CommandIO{}.printError(QStringLiteral("无法连接 X11 显示服务器（DISPLAY），读取选中文本需要图形会话。\n"));
            return CommandIO::failure;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    // The manual page is written at build time from the commands' help: the services those
    // commands are built over must not touch the builder's own files.
    std::optional<QTemporaryDir> scratchHome;
    if (!arguments.isEmpty() && arguments.first() == CommandLineInterface::manualPageCommand) {
        scratchHome.emplace();
        for (const char *name : {"XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
            qputenv(name, scratchHome->path().toLocal8Bit());
    }
    // Qt Multimedia reads its backend when first used. GStreamer decodes the speech services'
    // MP3 and WAV, and copes with a desktop without any audio device.
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    // Only the tray application and the commands that read the selection load the desktop
    // module with Qt Gui; the others stay a Qt Core program.
    std::unique_ptr<QCoreApplication> app;
    if (!headless)
        app = DesktopModule::load().makeApplication(DesktopModule::Application::widgets, argc, argv);
    else if (needsDisplay)
        app = DesktopModule::load().makeApplication(DesktopModule::Application::gui, argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    // The real services, made once for whichever face of the program runs, and gone before
    // the application object.
    AppServices services;
    if (!headless)
        return DesktopModule::load().runTrayApplication(services);

    CancellationToken interruption;
    std::optional<InterruptSignal> interruptSignal;
    if (!servesClipboard)
        interruptSignal.emplace(interruption);
    QStringList commandArguments = QCoreApplication::arguments();
    commandArguments.removeFirst();
    CommandLineInterface cli(CommandIO{}, services, interruption);
    std::optional<QCoro::Task<void>> command;
    // Started from the event loop: exit() before exec() would be lost.
    QTimer::singleShot(0, app.get(), [&] {
        command.emplace(exitWith(servesClipboard ? DesktopModule::load().serveClipboard() : cli.run(commandArguments)));
    });
    return app->exec();
} catch (const std::runtime_error &error) {
    // The desktop module is missing before any command ran.
    CommandIO{}.printError(CommandErrorMessage::describe(std::current_exception()) + QLatin1Char('\n'));
    return CommandIO::failure;
}

} // namespace

int main(int argc, char *argv[]) { return finish(run(argc, argv)); }
