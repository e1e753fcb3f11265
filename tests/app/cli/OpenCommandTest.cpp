#include "app/cli/ApplicationInstanceConnecting.h"
#include "app/cli/OpenCommand.h"
#include "platform/dbus/DBusSingleInstanceService.h"

#include "app/cli/CommandTestSupport.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using RequestError = DBusSingleInstanceService::RequestError;

// A session whose tray application is scripted: whether it runs, starts and answers.
class FakeApplicationInstance : public ApplicationInstanceConnecting {
public:
    bool isReachable() override { return reachable; }
    bool isRunning() override { return running; }
    bool startApplication() override
    {
        ++starts;
        return startSucceeds;
    }
    QCoro::Task<bool> waitUntilRunning(std::chrono::milliseconds) override
    {
        running = comesUp;
        co_return comesUp;
    }
    QCoro::Task<void> requestOpen(QString what) override
    {
        requests.append(what);
        if (failure)
            throw *failure;
        co_return;
    }

    bool reachable = true;
    bool running = true;
    bool startSucceeds = true;
    bool comesUp = true;
    std::optional<RequestError> failure;
    int starts = 0;
    QStringList requests;
};


CommandRun runOpen(FakeApplicationInstance &instance, const QStringList &arguments)
{
    CapturedStreams streams;
    OpenCommand command(streams.io(), instance);
    return streams.finish(waitForTask(command.run(arguments)));
}

} // namespace

TEST(OpenCommand, HandsTheRequestToTheRunningInstance)
{
    FakeApplicationInstance instance;
    for (const char *what : {"lookup", "collection", "review", "daily", "settings"}) {
        const CommandRun run = runOpen(instance, {QString::fromLatin1(what)});
        EXPECT_EQ(run.exitCode, 0) << what;
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    }
    EXPECT_EQ(instance.requests, QStringList({"lookup", "collection", "review", "daily", "settings"}));
    EXPECT_EQ(instance.starts, 0);
}

TEST(OpenCommand, StartsTheApplicationWhenNoneRunsAndWaitsForIt)
{
    FakeApplicationInstance instance;
    instance.running = false;
    const CommandRun run = runOpen(instance, {QStringLiteral("lookup")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(instance.starts, 1);
    EXPECT_EQ(instance.requests, QStringList{QStringLiteral("lookup")});

    FakeApplicationInstance neverUp;
    neverUp.running = false;
    neverUp.comesUp = false;
    const CommandRun late = runOpen(neverUp, {QStringLiteral("lookup")});
    EXPECT_EQ(late.exitCode, 1);
    EXPECT_TRUE(late.err.contains(QStringLiteral("没有就绪"))) << late.err.toStdString();
    EXPECT_TRUE(neverUp.requests.isEmpty());

    FakeApplicationInstance cannotStart;
    cannotStart.running = false;
    cannotStart.startSucceeds = false;
    EXPECT_EQ(runOpen(cannotStart, {QStringLiteral("lookup")}).err, QStringLiteral("无法启动 Rarozezev。\n"));
}

TEST(OpenCommand, ReportsFailuresInsteadOfClaimingSuccess)
{
    FakeApplicationInstance rejecting;
    rejecting.failure = RequestError(RequestError::Kind::rejected, QStringLiteral("这个版本的 Rarozezev 还没有“daily”窗口。"));
    const CommandRun rejected = runOpen(rejecting, {QStringLiteral("daily")});
    EXPECT_EQ(rejected.exitCode, 1);
    EXPECT_EQ(rejected.err, QStringLiteral("这个版本的 Rarozezev 还没有“daily”窗口。\n"));

    FakeApplicationInstance silent;
    silent.failure = RequestError(RequestError::Kind::noReply, QStringLiteral("org.freedesktop.DBus.Error.NoReply"));
    const CommandRun noReply = runOpen(silent, {QStringLiteral("lookup")});
    EXPECT_EQ(noReply.exitCode, 1);
    EXPECT_TRUE(noReply.err.contains(QStringLiteral("没有响应"))) << noReply.err.toStdString();

    // Without a session bus nothing is started: a second instance could never be found again.
    FakeApplicationInstance busless;
    busless.reachable = false;
    busless.running = false;
    EXPECT_EQ(runOpen(busless, {QStringLiteral("lookup")}).exitCode, 1);
    EXPECT_EQ(busless.starts, 0);
}

TEST(OpenCommand, RejectsUnknownOrMissingWindowNamesBeforeContactingAnyone)
{
    FakeApplicationInstance instance;
    for (const QStringList &arguments : {QStringList{}, QStringList{"Lookup"}, QStringList{"lookup", "collection"}}) {
        const CommandRun run = runOpen(instance, arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("rarozezev open --help")));
    }
    EXPECT_TRUE(instance.requests.isEmpty());
    EXPECT_EQ(runOpen(instance, {QStringLiteral("--help")}).exitCode, 0);
}
