#include "logging/AppLogger.h"

#include "foundation/AppError.h"
#include "logging/AppLogFileWriter.h"
#include "logging/LogRedactor.h"

#include <mutex>

#include <syslog.h>

static void sendToSystemLog(const QString &message)
{
    static std::once_flag opened;
    // openlog keeps the identity pointer, hence a string literal.
    std::call_once(opened, [] { ::openlog("com.rarozezev.Rarozezev", LOG_PID, LOG_USER); });
    ::syslog(LOG_ERR, "%s", message.toUtf8().constData());
}

void AppLogger::error(const char *context, const std::exception &error)
{
    if (AppEnvironment::isRunningTests())
        return;
    const auto *appError = dynamic_cast<const AppError *>(&error);
    const QString description = appError ? appError->debugDescription() : QString::fromUtf8(error.what());
    recordError(QString::fromUtf8(context) + QStringLiteral(": ") + description);
}

void AppLogger::recordError(const QString &message)
{
    const QString text = redacted(message);
    sendToSystemLog(text);
    AppLogFileWriter::shared().write(QStringLiteral("error"), text);
}

QUrl AppLogger::logFileURL() { return AppLogFileWriter::shared().logFileURL(); }

QUrl AppLogger::prepareLogFileForExport()
{
    AppLogFileWriter &writer = AppLogFileWriter::shared();
    if (!AppEnvironment::isRunningTests())
        writer.prepareLogFile();
    return writer.logFileURL();
}

static LogRedactor &sharedRedactor()
{
    static LogRedactor redactor;
    return redactor;
}

QString AppLogger::redacted(const QString &text) { return sharedRedactor().redacted(text); }

void AppLogger::registerSecret(const QString &secret) { sharedRedactor().addSecret(secret); }
