#pragma once

#include <QStringList>

#include <cstdio>

// The headless face of the program: `rarozezev SUBCOMMAND ...`. Each command returns the
// process exit code: 0 on success, 1 on a failure (Chinese message on stderr), 2 on a usage
// error.
class CommandLineInterface {
public:
    enum ExitCode { success = 0, failure = 1, usageError = 2 };

    CommandLineInterface(FILE *out = stdout, FILE *err = stderr);

    // True when the arguments ask for a headless run rather than the tray application.
    static bool wantsHeadlessRun(const QStringList &arguments);

    // `arguments` excludes the program name.
    int run(const QStringList &arguments);

    static QString helpText();
    static QString versionText();

private:
    void print(FILE *stream, const QString &text) const;

    FILE *m_out;
    FILE *m_err;
};
