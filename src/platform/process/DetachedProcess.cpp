#include "platform/process/DetachedProcess.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Milliseconds left for poll(), at least 0.
int remainingMilliseconds(DetachedProcess::Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - DetachedProcess::Clock::now());
    return static_cast<int>(std::max<long long>(0, std::min<long long>(left.count(), 1 << 30)));
}

bool waitFor(int socket, short events, DetachedProcess::Clock::time_point deadline)
{
    for (;;) {
        pollfd descriptor{socket, events, 0};
        const int ready = ::poll(&descriptor, 1, remainingMilliseconds(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Only async-signal-safe calls from here on: the child of a threaded process may find any
// lock held by a thread that did not come along.
[[noreturn]] void becomeDetachedProgram(int input, int output, int devNull, int maximumDescriptor, const char *directory,
                                        const char *path, char *const *argv, char *const *envp)
{
    // Our signal mask would otherwise survive the exec.
    sigset_t noSignals;
    ::sigemptyset(&noSignals);
    ::sigprocmask(SIG_SETMASK, &noSignals, nullptr);
    if (::setsid() < 0 || ::chdir(directory) != 0)
        ::_exit(127);
    // The second fork leaves a process that is no session leader, so it can never acquire a
    // controlling terminal, and whose parent exits at once, so init reaps it.
    const pid_t grandchild = ::fork();
    if (grandchild != 0)
        ::_exit(grandchild < 0 ? 127 : 0);
    if (::dup2(input, STDIN_FILENO) < 0 || ::dup2(output, STDOUT_FILENO) < 0 || ::dup2(devNull, STDERR_FILENO) < 0)
        ::_exit(127);
    // Nothing else of ours may stay open in it: an inherited X connection, for one, would keep
    // our client alive in the server's eyes after we exit.
    if (::syscall(SYS_close_range, 3U, ~0U, 0U) != 0) {
        for (int descriptor = 3; descriptor <= maximumDescriptor; ++descriptor)
            ::close(descriptor);
    }
    ::execve(path, argv, envp);
    ::_exit(127);
}

} // namespace

DetachedProcess::~DetachedProcess()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

std::unique_ptr<DetachedProcess> DetachedProcess::start(const QString &program, const QStringList &arguments,
                                                        const std::optional<QStringList> &environment)
{
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        return nullptr;
    const bool started = spawn(program, arguments, environment, sockets[1], sockets[1], QStringLiteral("/"));
    ::close(sockets[1]);
    if (!started) {
        ::close(sockets[0]);
        return nullptr;
    }
    return std::unique_ptr<DetachedProcess>(new DetachedProcess(sockets[0]));
}

bool DetachedProcess::launch(const QString &program, const QStringList &arguments, const QStringList &environment,
                             const QString &directory)
{
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (devNull < 0)
        return false;
    const bool started = spawn(program, arguments, environment, devNull, devNull, directory);
    ::close(devNull);
    return started;
}

bool DetachedProcess::spawn(const QString &program, const QStringList &arguments,
                            const std::optional<QStringList> &environment, int input, int output,
                            const QString &directory)
{
    // Everything the child needs is prepared before the fork.
    const QByteArray path = QFile::encodeName(program);
    const QByteArray directoryPath = QFile::encodeName(directory);
    std::vector<QByteArray> argumentBytes{path};
    for (const QString &argument : arguments)
        argumentBytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : argumentBytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> environmentBytes;
    std::vector<char *> envp;
    if (environment) {
        for (const QString &entry : *environment)
            environmentBytes.push_back(entry.toLocal8Bit());
        for (QByteArray &entry : environmentBytes)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
    }
    const long openMaximum = ::sysconf(_SC_OPEN_MAX);
    const int maximumDescriptor = openMaximum > 0 && openMaximum < 65536 ? static_cast<int>(openMaximum) : 65536;

    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull < 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0)
        becomeDetachedProgram(input, output, devNull, maximumDescriptor, directoryPath.constData(), path.constData(),
                              argv.data(), environment ? envp.data() : ::environ);
    ::close(devNull);
    if (child < 0)
        return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QStringList DetachedProcess::inheritedEnvironment(const QStringList &environment)
{
    static const QStringList names{
        QStringLiteral("DISPLAY"), QStringLiteral("XAUTHORITY"), QStringLiteral("WAYLAND_DISPLAY"),
        QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("HOME"), QStringLiteral("USER"),
        QStringLiteral("LOGNAME"), QStringLiteral("PATH"), QStringLiteral("TMPDIR"), QStringLiteral("TZ"),
        QStringLiteral("LANG"), QStringLiteral("LANGUAGE"), QStringLiteral("LD_LIBRARY_PATH"),
        // Input methods, and what Qt picks its desktop integration by.
        QStringLiteral("XMODIFIERS"), QStringLiteral("DESKTOP_SESSION"), QStringLiteral("KDE_FULL_SESSION"),
        QStringLiteral("KDE_SESSION_VERSION"), QStringLiteral("GNOME_DESKTOP_SESSION_ID"),
    };
    static const QStringList prefixes{QStringLiteral("LC_"), QStringLiteral("XDG_"), QStringLiteral("QT_")};
    QStringList kept;
    for (const QString &entry : environment) {
        const QString name = entry.section(QLatin1Char('='), 0, 0);
        const auto hasPrefix = [&](const QString &prefix) { return name.startsWith(prefix); };
        if (names.contains(name) || std::any_of(prefixes.begin(), prefixes.end(), hasPrefix))
            kept.append(entry);
    }
    return kept;
}

bool DetachedProcess::sendAndClose(const QByteArray &bytes, Clock::time_point deadline)
{
    if (m_inputClosed)
        return false;
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        if (!waitFor(m_socket, POLLOUT, deadline))
            return false;
        // MSG_NOSIGNAL: a program that died must not take us down with SIGPIPE.
        const ssize_t written = ::send(m_socket, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent),
                                       MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return false;
        }
        sent += written;
    }
    m_inputClosed = true;
    return ::shutdown(m_socket, SHUT_WR) == 0;
}

std::optional<QByteArray> DetachedProcess::readLine(Clock::time_point deadline)
{
    for (;;) {
        const qsizetype newline = m_received.indexOf('\n');
        if (newline >= 0) {
            QByteArray line = m_received.left(newline);
            m_received.remove(0, newline + 1);
            return line;
        }
        if (!waitFor(m_socket, POLLIN, deadline))
            return std::nullopt;
        char buffer[256];
        const ssize_t received = ::recv(m_socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (received == 0)
            return std::nullopt;
        if (received < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return std::nullopt;
        }
        m_received.append(buffer, received);
    }
}
