#include "platform/x11/X11ClipboardServerProcess.h"

#include "platform/process/DetachedProcess.h"
#include "platform/x11/X11ClipboardServer.h"

#include <QProcessEnvironment>

X11ClipboardServerProcess::X11ClipboardServerProcess(std::unique_ptr<DetachedProcess> process)
    : m_process(std::move(process))
{
}

// Dropping the process closes our end: a server that got nothing exits untouched.
X11ClipboardServerProcess::~X11ClipboardServerProcess() = default;

QStringList X11ClipboardServerProcess::serverEnvironment(const QStringList &environment)
{
    // The server lives for up to a day; it takes along what it needs to reach the display and
    // nothing else, in particular no API key that the command was given.
    static const QStringList names{QStringLiteral("DISPLAY"),  QStringLiteral("XAUTHORITY"),
                                   QStringLiteral("HOME"),     QStringLiteral("USER"),
                                   QStringLiteral("LOGNAME"),  QStringLiteral("PATH"),
                                   QStringLiteral("LANG"),     QStringLiteral("XDG_RUNTIME_DIR"),
                                   QStringLiteral("TMPDIR")};
    QStringList kept;
    for (const QString &entry : environment) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        if (names.contains(name) || name.startsWith(QLatin1String("LC_")))
            kept.append(entry);
    }
    return kept;
}

std::unique_ptr<X11ClipboardServerProcess> X11ClipboardServerProcess::start(const QString &program)
{
    std::unique_ptr<DetachedProcess> process = DetachedProcess::start(
        program, {X11ClipboardServer::subcommand}, serverEnvironment(QProcessEnvironment::systemEnvironment().toStringList()));
    if (!process)
        return nullptr;
    return std::unique_ptr<X11ClipboardServerProcess>(new X11ClipboardServerProcess(std::move(process)));
}

bool X11ClipboardServerProcess::keep(const SelectionPasteboardSnapshot &snapshot)
{
    const auto deadline = DetachedProcess::Clock::now() + handOverTimeout;
    if (!m_process->sendAndClose(X11ClipboardServer::encode(snapshot), deadline))
        return false;
    return m_process->readLine(deadline) == QByteArray(X11ClipboardServer::ownedReply);
}
