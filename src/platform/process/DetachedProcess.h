#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

// A program started outside our process tree, in a session of its own, so that it outlives
// us and no terminal hang-up or Ctrl+C reaches it; nobody needs to reap it, and it holds no
// directory of ours busy. Its standard input and output are one local socket whose other end
// this object holds; its standard error goes nowhere. Main thread; the waits below block,
// each up to its deadline.
class DetachedProcess {
public:
    using Clock = std::chrono::steady_clock;

    ~DetachedProcess();
    DetachedProcess(const DetachedProcess &) = delete;
    DetachedProcess &operator=(const DetachedProcess &) = delete;

    // Nothing when the program could not be started. It runs in the root directory.
    // `environment` holds "NAME=value" entries; without it the program gets ours.
    static std::unique_ptr<DetachedProcess> start(const QString &program, const QStringList &arguments,
                                                  const std::optional<QStringList> &environment = std::nullopt);
    // Starts a program that nobody talks to, detached the same way, with all its standard
    // streams on /dev/null and `directory` as its working directory. False when it could not
    // be started.
    static bool launch(const QString &program, const QStringList &arguments, const QStringList &environment,
                       const QString &directory);

    // The entries of `environment` ("NAME=value") that a program of ours started detached
    // takes along: what it needs to start and reach the session (display, session bus,
    // libraries, Qt's plugins and settings, XDG directories, locale), nothing else, in
    // particular no API key given to the command that starts it.
    static QStringList inheritedEnvironment(const QStringList &environment);

    // Writes all bytes, then ends the program's input. False when the program went away or
    // the deadline passed first.
    bool sendAndClose(const QByteArray &bytes, Clock::time_point deadline);
    // One line of the program's output without its line break; nothing when the program
    // ended its output or the deadline passed first.
    std::optional<QByteArray> readLine(Clock::time_point deadline);

private:
    explicit DetachedProcess(int socket) : m_socket(socket) {}
    // Runs the program detached with `input` as its standard input and `output` as its
    // standard output; false when it could not be started.
    static bool spawn(const QString &program, const QStringList &arguments,
                      const std::optional<QStringList> &environment, int input, int output, const QString &directory);

    int m_socket = -1;
    bool m_inputClosed = false;
    QByteArray m_received;
};
