#include "app/cli/CommandTestSupport.h"
#include "app/cli/LookupCommand.h"
#include "foundation/AppError.h"
#include "foundation/CancellationError.h"
#include "lookup/LookupTextLimit.h"

// The printed explanation, the fast pass, the dictionary and the selection are covered end
// to end; these cases need a service, keyring, collection or selection that misbehaves.
namespace {

using LookupCommandTest = CommandTest;

TEST_F(LookupCommandTest, AnswerIsFiledUnderTheTextAndTypeLookedUp)
{
    // The service spells the text its own way and calls it a word from the dictionary.
    fullResult.selectedText = QStringLiteral("Take-off");
    fullResult.source = LookupResultSource::systemDictionary;
    fullResult.contextualMeaning = QStringLiteral("起飞");
    ASSERT_EQ(run({"lookup"}, "  take off \n").exitCode, 0);
    ASSERT_EQ(aiCalls.size(), 1);
    EXPECT_EQ(aiCalls[0].text, QStringLiteral("take off"));
    EXPECT_EQ(aiCalls[0].itemType, LearningItemType::phrase);
    EXPECT_EQ(aiCalls[0].apiKey, QStringLiteral("sk-keyring"));

    const auto cached = cache.cachedResult(QStringLiteral("Take Off"), LearningItemType::phrase);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->selectedText, QStringLiteral("take off"));
    EXPECT_EQ(cached->source, LookupResultSource::ai);

    // After "--" everything is text; a single dash is text anyway.
    ASSERT_EQ(run({"lookup", "-", "--", "--no-cache"}).exitCode, 0);
    EXPECT_EQ(aiCalls.last().text, QStringLiteral("- --no-cache"));
}

TEST_F(LookupCommandTest, KeyFromTheEnvironmentSparesTheKeyring)
{
    aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus));
    const CommandRun failed = run({"lookup", "run"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(QLatin1String(LookupCommand::apiKeyVariable)));
    EXPECT_TRUE(aiCalls.isEmpty()) << "no request without a key";

    apiKeyOverride = QStringLiteral("sk-env");
    EXPECT_EQ(run({"lookup", "run"}).exitCode, 0);
    ASSERT_EQ(aiCalls.size(), 1);
    EXPECT_EQ(aiCalls[0].apiKey, QStringLiteral("sk-env"));
}

TEST_F(LookupCommandTest, FailuresAndInterruptionsPrintNoResult)
{
    // Empty text is the learner's, not a selection's; too much is refused, never cut.
    for (const CommandRun &refused : {run({"lookup"}, " \n\t"), run({"lookup", ""}),
                                      run({"lookup", QString(LookupTextLimit::maximumCharacters + 1, 'a')}),
                                      run({"lookup"}, QByteArray(3 << 20, 'a'))}) {
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_FALSE(refused.err.contains(QStringLiteral("选中"))) << refused.err.toStdString();
    }
    EXPECT_TRUE(aiCalls.isEmpty());
    EXPECT_EQ(run({"lookup"}, QByteArray(LookupTextLimit::maximumCharacters, 'a') + "\n\n").exitCode, 0);
    aiCalls.clear();

    aiFailure = [] { throw AppError::invalidAIResponse(); };
    EXPECT_EQ(run({"lookup", "run"}).err, AppError::invalidAIResponse().errorDescription() + QLatin1Char('\n'));
    EXPECT_FALSE(cache.cachedResult(QStringLiteral("run"), LearningItemType::word));

    aiFailure = captureFailure = [] { throw CancellationError(); };
    for (const QStringList &arguments : {QStringList{"lookup", "--pass=fast", "run"}, QStringList{"lookup", "--selection"}}) {
        const CommandRun interrupted = run(arguments);
        EXPECT_EQ(interrupted.exitCode, 130);
        EXPECT_TRUE(interrupted.out.isEmpty() && interrupted.err.isEmpty());
    }
    captureFailure = [] { throw AppError::clipboardSnapshotFailed(); };
    EXPECT_EQ(run({"lookup", "--selection"}).err, AppError::clipboardSnapshotFailed().errorDescription() + QLatin1Char('\n'));
    EXPECT_EQ(aiCalls.size(), 2) << "nothing is looked up after a failed capture";
}

TEST_F(LookupCommandTest, SaveFailuresAreReportedAfterTheExplanation)
{
    fullResult.contextualMeaning = QStringLiteral("跑");
    refuseWrites(QStringLiteral("INSERT ON LearningItem"));
    const CommandRun failed = run({"lookup", "--save", "run"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.contains(QStringLiteral("跑")) && !failed.err.isEmpty());

    // A collection that cannot be opened is found out before the service is asked.
    collectionFailure = QStringLiteral("unable to open database file");
    const CommandRun unopened = run({"lookup", "--save", "walk"});
    EXPECT_EQ(unopened.exitCode, 1);
    EXPECT_TRUE(unopened.out.isEmpty() && unopened.err.contains(*collectionFailure));
    EXPECT_EQ(aiCalls.size(), 1);
}

} // namespace
