#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

// The standard streams of one command run; tests hand in temporary files instead.
struct CommandIO {
    // The process exit codes of every command.
    enum ExitCode { success = 0, failure = 1, usageError = 2, interrupted = 130 };

    FILE *in = stdin;
    FILE *out = stdout;
    FILE *err = stderr;

    // Writes UTF-8 and flushes, so output and errors interleave as they happen.
    void print(const QString &text) const;
    void printError(const QString &text) const;

    // Everything up to the end of the input.
    QByteArray readAll() const;
    // The input up to its end or until more than maxBytes have come, whichever is first: a
    // result longer than maxBytes means the input was longer (and was not read to its end).
    QByteArray readAtMost(qsizetype maxBytes) const;
    struct SecretLine {
        QByteArray text;
        int signal = 0; // what ended the wait instead of a newline, if anything
    };
    // One line typed at the terminal without echoing it (for secrets); the newline is not
    // part of the text. SIGINT (Ctrl+C), SIGTERM and SIGHUP end the wait, discarding what
    // was typed (see HiddenTerminalInput).
    SecretLine readLineWithoutEcho() const;
    bool inputIsTerminal() const;

    // A usage error: the message, then where to read the usage.
    int reportUsageError(const QString &message, const QString &helpCommand) const;
};
