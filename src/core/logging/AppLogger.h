#pragma once

#include "foundation/AppEnvironment.h"

#include <QString>
#include <QUrl>

#include <exception>
#include <utility>

// The program's one logging facade. Errors go to the system log and to the diagnostic log
// file after API keys and tokens are masked. Inside the test executables
// (AppEnvironment::isRunningTests) nothing is recorded at all. Callable from any thread;
// never throws.
class AppLogger {
public:
    AppLogger() = delete;

    // Records the redacted message at level "error". The callable is invoked only when
    // something is recorded.
    template <typename MessageBuilder>
    static void error(MessageBuilder &&message)
    {
        if (AppEnvironment::isRunningTests())
            return;
        recordError(QString(std::forward<MessageBuilder>(message)()));
    }
    // Records context + ": " + the redacted description of the error: an AppError's
    // debugDescription(), any other exception's what().
    static void error(const char *context, const std::exception &error);

    // The log file of the running channel.
    static QUrl logFileURL();
    // Makes sure the log folder and file exist (waiting for queued lines), then returns the
    // file for the file manager to show. Creates nothing inside the test executables.
    static QUrl prepareLogFileForExport();

    // Masks the registered secrets and anything shaped like a key or token (see LogRedactor).
    static QString redacted(const QString &text);
    // Masks `secret` literally in everything recorded from now on. Called with every API key
    // the process loads or stores, whatever its shape.
    static void registerSecret(const QString &secret);

private:
    static void recordError(const QString &message);
};
