#include "app/cli/CommandTestSupport.h"

// The hand-over to a running application and its start when none runs are covered end to
// end; these cases need a session that misbehaves.
namespace {

using OpenCommandTest = CommandTest;

TEST_F(OpenCommandTest, AnApplicationThatCannotBeReachedStartedOrAskedIsAFailure)
{
    appRunning = appComesUp = false;
    EXPECT_EQ(run({"open", "lookup"}).exitCode, 1);
    appStarts = false;
    EXPECT_EQ(run({"open", "lookup"}).exitCode, 1);
    EXPECT_EQ(appStartCount, 2);
    EXPECT_TRUE(openRequests.isEmpty());
    // Without a session bus nothing is started: a second instance could never be found again.
    appReachable = false;
    EXPECT_EQ(run({"open", "lookup"}).exitCode, 1);
    EXPECT_EQ(appStartCount, 2);

    appReachable = appRunning = true;
    using RequestError = DBusSingleInstanceService::RequestError;
    for (const RequestError::Kind kind : {RequestError::Kind::rejected, RequestError::Kind::noReply}) {
        openFailure = RequestError(kind, QStringLiteral("reason %1").arg(static_cast<int>(kind)));
        const CommandRun failed = run({"open", "review"});
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_TRUE(failed.err.contains(openFailure->message())) << failed.err.toStdString();
    }
}

} // namespace
