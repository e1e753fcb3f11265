#include "platform/process/DetachedProcess.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Runs a shell script detached and returns its output lines after sending it `input`.
QList<QByteArray> runDetached(const QString &script, const QByteArray &input = {},
                              const std::optional<QStringList> &environment = std::nullopt)
{
    const auto process = DetachedProcess::start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}, environment);
    if (!process) {
        ADD_FAILURE() << "not started";
        return {};
    }
    const auto deadline = DetachedProcess::Clock::now() + 10s;
    EXPECT_TRUE(process->sendAndClose(input, deadline));
    QList<QByteArray> lines;
    while (const auto line = process->readLine(deadline))
        lines.append(*line);
    return lines;
}

TEST(DetachedProcess, RunsOutsideOurProcessTreeWithOnlyItsSocket)
{
    // A descriptor without close-on-exec, as a library might leave one.
    const int leaked = ::dup(STDERR_FILENO);
    ASSERT_GE(leaked, 3);
    const QString script = QStringLiteral(
        "wc -c | tr -d ' '; echo \"$PPID\"; cut -d' ' -f6 /proc/$$/stat; "
        "if [ -e /proc/$$/fd/%1 ]; then echo leaked; else echo clean; fi").arg(leaked);
    const QList<QByteArray> lines = runDetached(script, QByteArray(100000, 'x'));
    ::close(leaked);

    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QByteArray("100000")) << "all input arrives, then its end";
    EXPECT_NE(lines[1].toLongLong(), static_cast<long long>(::getpid())) << "not our child";
    EXPECT_NE(lines[2].toLongLong(), static_cast<long long>(::getsid(0))) << "a session of its own";
    EXPECT_EQ(lines[3], QByteArray("clean"));

    // Given an environment, it has that one and no other.
    qputenv("RAROZEZEV_DETACHED_TEST", "ours");
    EXPECT_EQ(runDetached(QStringLiteral("echo \"$KEPT|$RAROZEZEV_DETACHED_TEST\""), {}, QStringList{"KEPT=yes"}),
              QList<QByteArray>{"yes|"});
    EXPECT_EQ(runDetached(QStringLiteral("echo \"$RAROZEZEV_DETACHED_TEST\"")), QList<QByteArray>{"ours"});
    qunsetenv("RAROZEZEV_DETACHED_TEST");
}

TEST(DetachedProcess, ReportsAProgramThatIsGoneOrSilent)
{
    // Input to a program that stopped reading fails instead of raising SIGPIPE.
    const auto exited = DetachedProcess::start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 0")});
    ASSERT_TRUE(exited);
    EXPECT_FALSE(exited->readLine(DetachedProcess::Clock::now() + 10s));
    EXPECT_FALSE(exited->sendAndClose(QByteArray(1 << 20, 'x'), DetachedProcess::Clock::now() + 10s));

    const auto silent = DetachedProcess::start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("sleep 5")});
    ASSERT_TRUE(silent);
    const auto started = DetachedProcess::Clock::now();
    EXPECT_FALSE(silent->readLine(started + 200ms));
    EXPECT_LT(DetachedProcess::Clock::now() - started, 2s);

    // A program that cannot be run never answers.
    const auto missing = DetachedProcess::start(QStringLiteral("/nonexistent/program"), {});
    if (missing) {
        EXPECT_FALSE(missing->readLine(DetachedProcess::Clock::now() + 5s));
    }
}

} // namespace
