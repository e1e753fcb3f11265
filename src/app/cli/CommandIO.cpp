#include "app/cli/CommandIO.h"

#include <termios.h>
#include <unistd.h>

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
    QByteArray bytes;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.append(buffer, static_cast<qsizetype>(count));
    return bytes;
}

QByteArray CommandIO::readLineWithoutEcho() const
{
    const int descriptor = fileno(in);
    termios saved{};
    const bool canHideEcho = tcgetattr(descriptor, &saved) == 0;
    if (canHideEcho) {
        termios hidden = saved;
        hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(descriptor, TCSAFLUSH, &hidden);
    }
    QByteArray line;
    int c;
    while ((c = std::fgetc(in)) != EOF && c != '\n')
        line.append(static_cast<char>(c));
    if (canHideEcho) {
        tcsetattr(descriptor, TCSAFLUSH, &saved);
        // The newline the user typed was not echoed either.
        write(err, QStringLiteral("\n"));
    }
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
