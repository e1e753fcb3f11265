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

std::unique_ptr<X11ClipboardServerProcess> X11ClipboardServerProcess::start(const QString &program)
{
    // The server lives for up to a day, with no more of our environment than it needs.
    std::unique_ptr<DetachedProcess> process =
        DetachedProcess::start(program, {X11ClipboardServer::subcommand},
                               DetachedProcess::inheritedEnvironment(QProcessEnvironment::systemEnvironment().toStringList()));
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
