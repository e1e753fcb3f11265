#pragma once

#include "app/cli/CommandIO.h"

#include <QCoroTask>
#include <QStringList>

class CommandServices;

// The headless face of the program: `rarozezev COMMAND ...`. Each command returns the
// process exit code: 0 on success, 1 on a failure (Chinese message on stderr), 2 on a usage
// error, 130 when interrupted.
class CommandLineInterface {
public:
    using ExitCode = CommandIO::ExitCode;

    CommandLineInterface(CommandIO io, CommandServices &services);

    // True when the arguments ask for a headless run rather than the tray application.
    static bool wantsHeadlessRun(const QStringList &arguments);

    // `arguments` excludes the program name. Never throws.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();
    static QString versionText();

private:
    CommandIO m_io;
    CommandServices &m_services;
};
