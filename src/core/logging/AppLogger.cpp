#include "logging/AppLogger.h"

#include "foundation/AppError.h"
#include "logging/AppLogFileWriter.h"

#include <QRegularExpression>

#include <array>
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

QString AppLogger::redacted(const QString &text)
{
    struct Rule {
        QRegularExpression pattern;
        QString replacement;
    };
    // Compiled once; matching through a const expression is safe from any thread.
    static const auto rules = [] {
        std::array<Rule, 3> compiled{{
            {QRegularExpression(QStringLiteral("sk-[A-Za-z0-9._-]{8,}")), QStringLiteral("sk-<redacted>")},
            {QRegularExpression(QStringLiteral("Bearer\\s+[A-Za-z0-9._-]+")), QStringLiteral("Bearer <redacted>")},
            {QRegularExpression(QStringLiteral("\"api[_-]?key\"\\s*:\\s*\"[^\"]+\""),
                                QRegularExpression::CaseInsensitiveOption),
             QStringLiteral("\"apiKey\":\"<redacted>\"")},
        }};
        for (Rule &rule : compiled)
            rule.pattern.optimize();
        return compiled;
    }();
    QString result = text;
    for (const Rule &rule : rules)
        result.replace(rule.pattern, rule.replacement);
    return result;
}
