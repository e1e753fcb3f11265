#pragma once

#include <QByteArray>

#include <csignal>
#include <iterator>

// A terminal with its echo off, and SIGINT, SIGTERM and SIGHUP caught, for as long as it
// lives; the settings and the signals' previous actions are restored on every way out, and
// the echo also by the signal handler itself. One at a time per process.
class HiddenTerminalInput {
public:
    // Does nothing to a descriptor that is no terminal.
    explicit HiddenTerminalInput(int descriptor);
    ~HiddenTerminalInput();
    HiddenTerminalInput(const HiddenTerminalInput &) = delete;
    HiddenTerminalInput &operator=(const HiddenTerminalInput &) = delete;

    bool hidesEcho() const { return m_hidesEcho; }

    // The line up to the newline (not included) or the end of the input; empty, with
    // `signal` set, when one of the signals came first.
    QByteArray readLine(int &signal) const;

private:
    static constexpr int caughtSignals[] = {SIGINT, SIGTERM, SIGHUP};

    int m_descriptor;
    bool m_hidesEcho = false;
    struct sigaction m_previousActions[std::size(caughtSignals)] = {};
};
