#include "platform/process/DetachedProcess.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

auto in(std::chrono::milliseconds time) { return DetachedProcess::Clock::now() + time; }

// Runs a shell script detached and returns its output lines after sending it `input`.
QList<QByteArray> runDetached(const QString &script, const QByteArray &input = {},
                              const std::optional<QStringList> &environment = std::nullopt)
{
    const auto process = DetachedProcess::start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}, environment);
    QList<QByteArray> lines;
    if (!process || !process->sendAndClose(input, in(10s)))
        ADD_FAILURE() << "not started or not fed";
    while (const auto line = process ? process->readLine(in(10s)) : std::nullopt)
        lines.append(*line);
    return lines;
}

TEST(DetachedProcess, RunsOutsideOurProcessTreeWithOnlyItsSocketAndTheEnvironmentGiven)
{
    // A descriptor without close-on-exec, as a library might leave one.
    const int leaked = ::dup(STDERR_FILENO);
    const QList<QByteArray> lines = runDetached(
        QStringLiteral("wc -c | tr -d ' '; echo \"$PPID\"; cut -d' ' -f6 /proc/$$/stat; "
                       "if [ -e /proc/$$/fd/%1 ]; then echo leaked; else echo clean; fi").arg(leaked),
        QByteArray(100000, 'x'));
    ::close(leaked);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QByteArray("100000")) << "all input arrives, then its end";
    EXPECT_NE(lines[1].toLongLong(), ::getpid()) << "not our child";
    EXPECT_NE(lines[2].toLongLong(), ::getsid(0)) << "a session of its own";
    EXPECT_EQ(lines[3], QByteArray("clean"));

    qputenv("RAROZEZEV_DETACHED_TEST", "ours");
    EXPECT_EQ(runDetached(QStringLiteral("echo \"$KEPT|$RAROZEZEV_DETACHED_TEST\""), {}, QStringList{"KEPT=yes"}),
              QList<QByteArray>{"yes|"});
    EXPECT_EQ(runDetached(QStringLiteral("echo \"$RAROZEZEV_DETACHED_TEST\"")), QList<QByteArray>{"ours"});
    qunsetenv("RAROZEZEV_DETACHED_TEST");
}

// What a program of ours needs to start from a relocated install and reach the session; never
// a secret of the command that starts it.
TEST(DetachedProcess, TakesAlongWhatOurProgramsNeedAndNoSecret)
{
    const QStringList needed{
        "DISPLAY=:7", "XAUTHORITY=/run/x", "WAYLAND_DISPLAY=wayland-0", "DBUS_SESSION_BUS_ADDRESS=unix:path=/b",
        "HOME=/h", "PATH=/usr/bin", "LANG=zh_CN.UTF-8", "LC_ALL=C.UTF-8", "LD_LIBRARY_PATH=/opt/r/lib",
        "QT_PLUGIN_PATH=/opt/r/plugins", "QT_QPA_PLATFORM_PLUGIN_PATH=/opt/r/platforms", "QT_QPA_PLATFORM=xcb",
        "XDG_RUNTIME_DIR=/run/user/1", "XDG_DATA_HOME=/d"};
    const QStringList secrets{"RAROZEZEV_AI_API_KEY=sk-secret", "OPENAI_API_KEY=sk-other", "DISPLAYED=no",
                              "SSH_AUTH_SOCK=/s", "LD_PRELOAD=/tmp/hook.so"};
    EXPECT_EQ(DetachedProcess::inheritedEnvironment(secrets + needed + secrets), needed);
}

TEST(DetachedProcess, ReportsAProgramThatIsGoneOrSilent)
{
    // Input to a program that stopped reading fails instead of raising SIGPIPE.
    const auto exited = DetachedProcess::start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 0")});
    ASSERT_TRUE(exited);
    EXPECT_FALSE(exited->readLine(in(10s)));
    EXPECT_FALSE(exited->sendAndClose(QByteArray(1 << 20, 'x'), in(10s)));

    const auto silent = DetachedProcess::start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("sleep 5")});
    const auto started = DetachedProcess::Clock::now();
    EXPECT_FALSE(silent->readLine(in(200ms)));
    EXPECT_LT(DetachedProcess::Clock::now() - started, 2s);

    // A program that cannot be run never answers.
    const auto missing = DetachedProcess::start(QStringLiteral("/nonexistent/program"), {});
    EXPECT_TRUE(!missing || !missing->readLine(in(5s)));
}

} // namespace
