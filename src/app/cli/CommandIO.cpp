#include "app/cli/CommandIO.h"

#include "app/cli/HiddenTerminalInput.h"

#include <cstdio>
#include <limits>

namespace {

void write(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void CommandIO::print(const QString &text) const
{
    write(out, text);
}

void CommandIO::printError(const QString &text) const
{
    write(err, text);
}

QByteArray CommandIO::readAll() const
{
    return readAtMost(std::numeric_limits<qsizetype>::max() - 4096);
}

QByteArray CommandIO::readAtMost(qsizetype maxBytes) const
{
    QByteArray bytes;
    char buffer[4096];
    size_t count;
    while (bytes.size() <= maxBytes && (count = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.append(buffer, static_cast<qsizetype>(count));
    return bytes;
}

CommandIO::SecretLine CommandIO::readLineWithoutEcho() const
{
    HiddenTerminalInput hidden(fileno(in));
    SecretLine line;
    line.text = hidden.readLine(line.signal);
    if (hidden.hidesEcho())
        write(err, QStringLiteral("\n")); // the newline typed, or the interruption, was not echoed either
    return line;
}

bool CommandIO::inputIsTerminal() const
{
    return isatty(fileno(in)) == 1;
}

int CommandIO::reportUsageError(const QString &message, const QString &helpCommand) const
{
    printError(message + QStringLiteral("\n运行 %1 查看用法。\n").arg(helpCommand));
    return ExitCode::usageError;
}
