#include "app/cli/LookupCommand.h"
#include "services/AIClient.h"
#include "services/AppPreferences.h"
#include "services/InMemoryAPIKeyStore.h"
#include "services/InMemoryUserDefaults.h"
#include "services/SystemDictionaryLookingUp.h"
#include "services/UserDefaultsLookupResultCache.h"
#include "utilities/AppError.h"
#include "utilities/CancellationError.h"

#include "app/CommandTestSupport.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Answers with canned records (or throws `failure`) and records what it was asked.
class FakeAIClient : public AIClient {
public:
    struct Call {
        QString text;
        LearningItemType itemType;
        QString apiKey;
        bool fast;
    };

    QCoro::Task<LookupResult> lookup(QString selectedText, std::optional<QString>, std::optional<QString>,
                                     LearningItemType itemType, UserSettings settings, CancellationToken) override
    {
        calls.append({selectedText, itemType, settings.apiKey, false});
        if (failure)
            failure();
        co_return LookupResult(fullResult); // a copy: co_return would move the member out
    }

    QCoro::Task<FastLookupResult> fastLookup(QString selectedText, std::optional<QString>, std::optional<QString>,
                                             LearningItemType itemType, UserSettings settings, CancellationToken) override
    {
        calls.append({selectedText, itemType, settings.apiKey, true});
        if (failure)
            failure();
        co_return FastLookupResult(fastResult);
    }

    QList<Call> calls;
    std::function<void()> failure;
    // As a service may answer: its own spelling, type and source, which the command replaces.
    LookupResult fullResult = [] {
        LookupResult result;
        result.selectedText = QStringLiteral("Take-off");
        result.itemType = LearningItemType::word;
        result.source = LookupResultSource::systemDictionary;
        result.contextualMeaning = QStringLiteral("起飞");
        return result;
    }();
    FastLookupResult fastResult = [] {
        FastLookupResult result;
        result.selectedText = QStringLiteral("Take-off");
        result.primaryMeaning = QStringLiteral("快速：起飞");
        return result;
    }();
};

class FakeDictionary : public SystemDictionaryLookingUp {
public:
    std::optional<QString> lookupDefinition(const QString &text) const override
    {
        if (text == QLatin1String("serendipity"))
            return QStringLiteral("serendipity | ① noun: good luck in making unexpected and fortunate discoveries");
        return std::nullopt;
    }
};

class LookupCommandTest : public ::testing::Test {
protected:
    struct Run {
        int exitCode;
        QString out;
        QString err;
    };

    Run lookup(const QStringList &arguments, const QByteArray &input = {},
               std::optional<QString> apiKeyOverride = std::nullopt, CancellationToken cancellation = {})
    {
        AppPreferences preferences(defaults, keys, std::make_shared<InMemoryAPIKeyStore>(), BundleInfo());
        CapturedStreams streams(input);
        LookupCommand command(streams.io(), {preferences, ai, cache, dictionary, std::move(apiKeyOverride)},
                              std::move(cancellation));
        const int exitCode = waitForTask(command.run(arguments));
        return {exitCode, streams.out(), streams.err()};
    }

    InMemoryUserDefaults defaults;
    std::shared_ptr<InMemoryAPIKeyStore> keys = std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-keyring"));
    FakeAIClient ai;
    UserDefaultsLookupResultCache cache{defaults};
    FakeDictionary dictionary;
};

TEST_F(LookupCommandTest, FullAnswerIsNormalisedCachedAndReused)
{
    const Run first = lookup({QStringLiteral("--format=json")}, "  take off \n");
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_EQ(ai.calls.size(), 1);
    EXPECT_EQ(ai.calls[0].text, QStringLiteral("take off")) << "the trimmed text is looked up";
    EXPECT_EQ(ai.calls[0].itemType, LearningItemType::phrase);
    EXPECT_EQ(ai.calls[0].apiKey, QStringLiteral("sk-keyring"));
    const QJsonObject printed = QJsonDocument::fromJson(first.out.toUtf8()).object();
    EXPECT_EQ(printed.value("selectedText").toString(), QStringLiteral("take off"));
    EXPECT_EQ(printed.value("itemType").toString(), QStringLiteral("phrase"));
    EXPECT_EQ(printed.value("source").toString(), QStringLiteral("ai"));

    // Filed where the panel would look for it.
    const auto cached = cache.cachedResult(QStringLiteral("Take Off"), LearningItemType::phrase);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->selectedText, QStringLiteral("take off"));

    const Run again = lookup({QStringLiteral("TAKE"), QStringLiteral("OFF")});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(ai.calls.size(), 1);
    EXPECT_EQ(again.out, cached->markdownExplanation() + QLatin1Char('\n'));

    EXPECT_EQ(lookup({QStringLiteral("--no-cache"), QStringLiteral("take off")}).exitCode, 0);
    EXPECT_EQ(ai.calls.size(), 2);
}

TEST_F(LookupCommandTest, FastPassNeitherReadsNorWritesTheCache)
{
    LookupResult cachedRun;
    cachedRun.selectedText = QStringLiteral("run");
    cachedRun.contextualMeaning = QStringLiteral("跑");
    cache.store(cachedRun);
    const Run fast = lookup({QStringLiteral("--pass"), QStringLiteral("fast"), QStringLiteral("run")});
    ASSERT_EQ(fast.exitCode, 0) << fast.err.toStdString();
    ASSERT_EQ(ai.calls.size(), 1);
    EXPECT_TRUE(ai.calls[0].fast);
    FastLookupResult expected = ai.fastResult;
    expected.selectedText = QStringLiteral("run");
    EXPECT_EQ(fast.out, LookupResult::markdown(expected.displaySections()) + QLatin1Char('\n'));
    EXPECT_TRUE(fast.out.contains(QStringLiteral("快速：起飞")));

    EXPECT_EQ(lookup({QStringLiteral("--pass=fast"), QStringLiteral("walk")}).exitCode, 0);
    EXPECT_FALSE(cache.cachedResult(QStringLiteral("walk"), LearningItemType::word));
}

TEST_F(LookupCommandTest, KeyFromTheEnvironmentSparesTheKeyring)
{
    keys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus));
    const Run withOverride = lookup({QStringLiteral("run")}, {}, QStringLiteral("sk-env"));
    ASSERT_EQ(withOverride.exitCode, 0) << withOverride.err.toStdString();
    EXPECT_EQ(ai.calls.last().apiKey, QStringLiteral("sk-env"));

    const Run withoutOverride = lookup({QStringLiteral("--no-cache"), QStringLiteral("run")});
    EXPECT_EQ(withoutOverride.exitCode, 1);
    EXPECT_TRUE(withoutOverride.err.contains(QStringLiteral("OSStatus -25291")));
    EXPECT_TRUE(withoutOverride.err.contains(QLatin1String(LookupCommand::apiKeyVariable)));
    EXPECT_EQ(ai.calls.size(), 1) << "no request without a key";
}

TEST_F(LookupCommandTest, FailuresAndInterruptionsEndTheRunWithoutOutput)
{
    ai.failure = [] { throw AppError::aiRequestFailedDetail(QStringLiteral("HTTP 500")); };
    const Run failed = lookup({QStringLiteral("run")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty());
    EXPECT_EQ(failed.err, QStringLiteral("AI 查询失败：HTTP 500\n"));
    EXPECT_FALSE(cache.cachedResult(QStringLiteral("run"), LearningItemType::word));

    ai.failure = [] { throw CancellationError(); };
    const Run interrupted = lookup({QStringLiteral("run")});
    EXPECT_EQ(interrupted.exitCode, 130);
    EXPECT_TRUE(interrupted.out.isEmpty());
    EXPECT_TRUE(interrupted.err.isEmpty());

    const Run blank = lookup({}, " \n\t");
    EXPECT_EQ(blank.exitCode, 1);
    EXPECT_EQ(blank.err, AppError::selectedTextUnavailable().errorDescription() + QLatin1Char('\n'));
}

TEST_F(LookupCommandTest, DictionaryAnswersAWordOrSaysItHasNone)
{
    const Run found = lookup({QStringLiteral("--source"), QStringLiteral("dictionary"), QStringLiteral("--format"),
                              QStringLiteral("json"), QStringLiteral("serendipity")});
    ASSERT_EQ(found.exitCode, 0) << found.err.toStdString();
    const QJsonObject record = QJsonDocument::fromJson(found.out.toUtf8()).object();
    EXPECT_EQ(record.value("source").toString(), QStringLiteral("systemDictionary"));
    EXPECT_EQ(record.value("itemType").toString(), QStringLiteral("word"));
    EXPECT_TRUE(record.value("contextualMeaning").toString().contains(QStringLiteral("fortunate discoveries")));

    const Run missing = lookup({QStringLiteral("--source=dictionary"), QStringLiteral("look"), QStringLiteral("up")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, QStringLiteral("系统词典没有找到释义。\n"));
    EXPECT_TRUE(ai.calls.isEmpty());
}

} // namespace
