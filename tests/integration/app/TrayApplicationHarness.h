#pragma once

#include "platform/dbus/DBusSingleInstanceService.h"

#include "support/CoroutineTestSupport.h"

#include <QCoroProcess>
#include <QCoroTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <optional>

// Runs the built program as a user of the test's desktop session would: the session's X
// display, bus and keyring, but a home and XDG directories of its own. The logger is live
// (no test host), so the log file shows what the program recorded.
class TrayApplicationHarness {
public:
    struct Result {
        int exitCode = -1;
        QString out;
        QString err;
    };

    TrayApplicationHarness()
    {
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.remove(QStringLiteral("RAROZEZEV_TEST_HOST"));
        m_environment.insert(QStringLiteral("HOME"), m_home.filePath(QStringLiteral("home")));
        for (const char *variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
            m_environment.insert(QString::fromLatin1(variable), m_home.filePath(QString::fromLatin1(variable)));
    }

    ~TrayApplicationHarness() { stopApplication(); }

    QProcessEnvironment &environment() { return m_environment; }
    QString path(const QString &relative) const { return m_home.filePath(relative); }

    // Starts the tray application; waits until it owns its bus name unless told not to.
    bool startApplication(bool waitUntilRunning = true)
    {
        m_application = std::make_unique<QProcess>();
        m_application->setProcessEnvironment(m_environment);
        m_application->setProgram(QStringLiteral(RAROZEZEV_EXECUTABLE));
        m_application->start();
        if (!m_application->waitForStarted(10000))
            return false;
        if (!waitUntilRunning)
            return true;
        return waitForTask(DBusSingleInstanceService::waitForInstance(std::chrono::seconds(10)));
    }

    QProcess *application() const { return m_application.get(); }

    // Ends the application as a session would (SIGTERM), and any instance a command of this
    // test started detached; returns how the application this harness started ended.
    std::optional<Result> stopApplication()
    {
        std::optional<Result> result;
        if (m_application) {
            if (m_application->state() != QProcess::NotRunning) {
                m_application->terminate();
                if (!waitForTask(qCoro(*m_application).waitForFinished(std::chrono::seconds(10))))
                    m_application->kill();
            }
            m_application->waitForFinished(1000);
            result = Result{m_application->exitCode(), QString::fromUtf8(m_application->readAllStandardOutput()),
                            QString::fromUtf8(m_application->readAllStandardError())};
            m_application.reset();
        }
        if (const std::optional<qint64> pid = DBusSingleInstanceService::instanceProcessId())
            ::kill(static_cast<pid_t>(*pid), SIGTERM);
        waitUntil([] { return !DBusSingleInstanceService::isInstanceRunning(); }, std::chrono::seconds(10));
        return result;
    }

    // Runs the program once with `arguments` (a command, or a second plain start).
    Result run(const QStringList &arguments, std::chrono::milliseconds timeout = std::chrono::seconds(30),
               const QByteArray &input = {})
    {
        QProcess process;
        process.setProcessEnvironment(m_environment);
        process.start(QStringLiteral(RAROZEZEV_EXECUTABLE), arguments);
        if (!process.waitForStarted(10000))
            return {};
        process.write(input);
        process.closeWriteChannel();
        waitForTask(qCoro(process).waitForFinished(timeout));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // Runs a tool of the session (xdotool, xprop); its standard output, trimmed.
    static Result tool(const QString &program, const QStringList &arguments,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForStarted(5000))
            return {};
        waitForTask(qCoro(process).waitForFinished(timeout));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed(),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // The ids of the mapped windows whose title is exactly `title`.
    static QStringList visibleWindows(const QString &title)
    {
        const Result found = tool(QStringLiteral("xdotool"),
                                  {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                   QLatin1Char('^') + title + QLatin1Char('$')});
        return found.out.isEmpty() ? QStringList{} : found.out.split(QLatin1Char('\n'));
    }

    // Polls `condition` on the event loop every 20 ms until it holds or `timeout` passes.
    template <typename Condition>
    static bool waitUntil(Condition condition, std::chrono::milliseconds timeout)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            waitForTask(QCoro::sleepFor(std::chrono::milliseconds(20)));
        }
        return true;
    }

    QString logText() const
    {
        QFile log(m_home.filePath(QStringLiteral("XDG_STATE_HOME/Rarozezev/Logs/Production/Rarozezev.log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

private:
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    std::unique_ptr<QProcess> m_application;
};
