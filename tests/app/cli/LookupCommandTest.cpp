#include "app/cli/LookupCommand.h"
#include "collection/LearningItemStore.h"
#include "foundation/AppError.h"
#include "foundation/CancellationError.h"

#include "app/cli/CommandTestSupport.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

// The printed output, fast pass and dictionary are covered end to end by the integration
// suite; these cases need a service or a keyring that misbehaves on cue.
namespace {

class LookupCommandTest : public ::testing::Test {
protected:
    CommandRun lookup(const QStringList &arguments, const QByteArray &input = {})
    {
        CapturedStreams streams(input);
        LookupCommand command(streams.io(), {s.prefs, s.ai, s.cache, s.dictionary, s.apiKeyOverride, s.openCollection(),
                                             [this]() -> SelectedTextCapturing & { return s.selection; }});
        return streams.finish(waitForTask(command.run(arguments)));
    }

    InMemoryCommandServices s;
};

TEST_F(LookupCommandTest, AnswerIsFiledUnderTheTextAndTypeLookedUp)
{
    // The service spells the text its own way and calls it a word.
    s.ai.fullResult.selectedText = QStringLiteral("Take-off");
    s.ai.fullResult.source = LookupResultSource::systemDictionary;
    s.ai.fullResult.contextualMeaning = QStringLiteral("起飞");

    ASSERT_EQ(lookup({}, "  take off \n").exitCode, 0);
    ASSERT_EQ(s.ai.calls.size(), 1);
    EXPECT_EQ(s.ai.calls[0].text, QStringLiteral("take off"));
    EXPECT_EQ(s.ai.calls[0].itemType, LearningItemType::phrase);
    EXPECT_EQ(s.ai.calls[0].apiKey, QStringLiteral("sk-keyring"));

    const auto cached = s.cache.cachedResult(QStringLiteral("Take Off"), LearningItemType::phrase);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->selectedText, QStringLiteral("take off"));
    EXPECT_EQ(cached->source, LookupResultSource::ai);
}

TEST_F(LookupCommandTest, KeyFromTheEnvironmentSparesTheKeyring)
{
    s.aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus));
    const CommandRun failed = lookup({QStringLiteral("run")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("OSStatus -25291")));
    EXPECT_TRUE(failed.err.contains(QLatin1String(LookupCommand::apiKeyVariable)));
    EXPECT_TRUE(s.ai.calls.isEmpty()) << "no request without a key";

    s.apiKeyOverride = QStringLiteral("sk-env");
    EXPECT_EQ(lookup({QStringLiteral("run")}).exitCode, 0);
    ASSERT_EQ(s.ai.calls.size(), 1);
    EXPECT_EQ(s.ai.calls[0].apiKey, QStringLiteral("sk-env"));
}

TEST_F(LookupCommandTest, FailuresAndInterruptionsPrintNoResult)
{
    s.ai.failure = [] { throw AppError::invalidAIResponse(); };
    const CommandRun failed = lookup({QStringLiteral("run")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty());
    EXPECT_EQ(failed.err, AppError::invalidAIResponse().errorDescription() + QLatin1Char('\n'));
    EXPECT_FALSE(s.cache.cachedResult(QStringLiteral("run"), LearningItemType::word));

    s.ai.failure = [] { throw CancellationError(); };
    const CommandRun interrupted = lookup({QStringLiteral("--pass=fast"), QStringLiteral("run")});
    EXPECT_EQ(interrupted.exitCode, 130);
    EXPECT_TRUE(interrupted.out.isEmpty() && interrupted.err.isEmpty());

    const CommandRun blank = lookup({}, " \n\t");
    EXPECT_EQ(blank.exitCode, 1);
    EXPECT_EQ(blank.err, AppError::selectedTextUnavailable().errorDescription() + QLatin1Char('\n'));
}

TEST_F(LookupCommandTest, SaveFilesThePrintedResultOnce)
{
    s.ai.fullResult.selectedText = QStringLiteral("Take-off");
    s.ai.fullResult.itemType = LearningItemType::word;
    s.ai.fullResult.contextualMeaning = QStringLiteral("起飞");
    LearningItemStore store(s.container.mainContext());

    const CommandRun saved = lookup({QStringLiteral("--save")}, "  take off \n");
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    EXPECT_EQ(saved.err, QStringLiteral("已加入收藏。\n"));
    const auto items = store.allItems();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->text, QStringLiteral("take off"));
    EXPECT_EQ(items[0]->type(), LearningItemType::phrase);
    EXPECT_TRUE(items[0]->explanation.contains(QStringLiteral("起飞")));

    // From the cache, then from the service again: the same text and type is not saved twice.
    const CommandRun cached = lookup({QStringLiteral("--save"), QStringLiteral("TAKE OFF")});
    EXPECT_EQ(cached.exitCode, 0);
    EXPECT_EQ(cached.err, QStringLiteral("收藏中已有这一条。\n"));
    EXPECT_EQ(lookup({QStringLiteral("--save"), QStringLiteral("--no-cache"), QStringLiteral("take off")}).exitCode, 0);
    EXPECT_EQ(s.ai.calls.size(), 2);
    EXPECT_EQ(store.allItems().size(), 1);
}

TEST_F(LookupCommandTest, SaveFailuresAreReportedAfterTheExplanation)
{
    s.ai.fullResult.contextualMeaning = QStringLiteral("跑");
    s.refuseWrites(QStringLiteral("INSERT ON LearningItem"));
    const CommandRun failed = lookup({QStringLiteral("--save"), QStringLiteral("run")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.contains(QStringLiteral("跑")));
    EXPECT_EQ(failed.err, QStringLiteral("收藏保存失败。\n"));

    // A collection that cannot be opened is found out before the service is asked.
    s.collectionFailure = QStringLiteral("unable to open database file");
    const CommandRun unopened = lookup({QStringLiteral("--save"), QStringLiteral("walk")});
    EXPECT_EQ(unopened.exitCode, 1);
    EXPECT_TRUE(unopened.out.isEmpty());
    EXPECT_EQ(unopened.err, QStringLiteral("无法创建本地数据容器: unable to open database file\n"));
    EXPECT_EQ(s.ai.calls.size(), 1);
}

TEST_F(LookupCommandTest, SelectionIsCapturedThenLookedUpLikeAGivenText)
{
    s.selection.text = QStringLiteral("take off");
    s.ai.fullResult.contextualMeaning = QStringLiteral("起飞");
    const CommandRun run = lookup({QStringLiteral("--selection"), QStringLiteral("--format=json")}, "ignored input");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(s.selection.captures, 1);
    ASSERT_EQ(s.ai.calls.size(), 1);
    EXPECT_EQ(s.ai.calls[0].text, QStringLiteral("take off"));
    EXPECT_EQ(s.ai.calls[0].itemType, LearningItemType::phrase);
    EXPECT_TRUE(run.out.contains(QStringLiteral("起飞")));

    // A text besides the selection is a usage error, before anything is captured.
    EXPECT_EQ(lookup({QStringLiteral("--selection"), QStringLiteral("run")}).exitCode, 2);
    EXPECT_EQ(s.selection.captures, 1);

    // A failed capture is reported as such and costs no request; Ctrl+C during it is quiet.
    s.selection.failure = [] { throw AppError::clipboardSnapshotFailed(); };
    const CommandRun failed = lookup({QStringLiteral("--selection")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err, AppError::clipboardSnapshotFailed().errorDescription() + QLatin1Char('\n'));
    s.selection.failure = [] { throw CancellationError(); };
    const CommandRun interrupted = lookup({QStringLiteral("--selection")});
    EXPECT_EQ(interrupted.exitCode, 130);
    EXPECT_TRUE(interrupted.err.isEmpty());
    EXPECT_EQ(s.ai.calls.size(), 1);
}

} // namespace
