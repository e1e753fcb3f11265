#include "app/cli/HiddenTerminalInput.h"

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// What the signal handler needs. It only notes the signal, restores the echo and wakes the
// reader's poll through a pipe, whichever thread the signal was delivered to.
volatile sig_atomic_t caughtSignal = 0;
int wakePipe[2] = {-1, -1};
int hiddenDescriptor = -1;
termios shownSettings{};

void onSignal(int signal)
{
    caughtSignal = signal;
    // Also here, in case the way out of the prompt never comes.
    if (hiddenDescriptor >= 0)
        tcsetattr(hiddenDescriptor, TCSAFLUSH, &shownSettings);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
}

} // namespace

HiddenTerminalInput::HiddenTerminalInput(int descriptor) : m_descriptor(descriptor)
{
    caughtSignal = 0;
    m_hidesEcho = tcgetattr(descriptor, &shownSettings) == 0 && pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) == 0;
    if (!m_hidesEcho)
        return;
    hiddenDescriptor = descriptor;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a signal ends the wait instead of resuming it.
    for (size_t i = 0; i < std::size(caughtSignals); ++i)
        sigaction(caughtSignals[i], &action, &m_previousActions[i]);
    termios hidden = shownSettings;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(descriptor, TCSAFLUSH, &hidden);
}

HiddenTerminalInput::~HiddenTerminalInput()
{
    if (!m_hidesEcho)
        return;
    // Flushing drops a half-typed key that would otherwise go to the shell.
    tcsetattr(m_descriptor, TCSAFLUSH, &shownSettings);
    for (size_t i = 0; i < std::size(caughtSignals); ++i)
        sigaction(caughtSignals[i], &m_previousActions[i], nullptr);
    hiddenDescriptor = -1;
    ::close(wakePipe[0]);
    ::close(wakePipe[1]);
    wakePipe[0] = wakePipe[1] = -1;
}

QByteArray HiddenTerminalInput::readLine(int &signal) const
{
    QByteArray line;
    for (;;) {
        if (caughtSignal != 0) {
            signal = caughtSignal;
            return {};
        }
        pollfd descriptors[] = {{m_descriptor, POLLIN, 0}, {m_hidesEcho ? wakePipe[0] : -1, POLLIN, 0}};
        if (::poll(descriptors, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return line;
        }
        if (descriptors[0].revents == 0)
            continue;
        char c;
        const ssize_t count = ::read(m_descriptor, &c, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0 || c == '\n')
            return line;
        line.append(c);
    }
}
