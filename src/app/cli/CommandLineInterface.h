#pragma once

#include "app/cli/CommandIO.h"
#include "foundation/CancellationToken.h"

#include <QCoroTask>
#include <QLatin1String>
#include <QStringList>

class CommandServices;

// The headless face of the program: `rarozezev COMMAND ...`. Each command returns the
// process exit code: 0 on success, 1 on a failure (Chinese message on stderr), 2 on a usage
// error, 130 when interrupted.
class CommandLineInterface {
public:
    using ExitCode = CommandIO::ExitCode;

    // `interruption` fires when the user interrupts the program (Ctrl+C).
    CommandLineInterface(CommandIO io, CommandServices &services, CancellationToken interruption = {});

    // True when the arguments ask for a headless run rather than the tray application.
    static bool wantsHeadlessRun(const QStringList &arguments);
    // True when the command reads the selection, and so needs the X11 display.
    static bool readsSelection(const QStringList &arguments);

    // `arguments` excludes the program name. Never throws.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();
    static QString versionText();

    // Prints the manual page (ManualPage) from the help of the program and its commands.
    static constexpr QLatin1String manualPageCommand{"__man"};

private:
    QCoro::Task<int> printManualPage();

    CommandIO m_io;
    CommandServices &m_services;
    CancellationToken m_interruption;
};
