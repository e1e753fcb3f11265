#include "app/cli/ConfigCommand.h"

#include "app/cli/CommandTestSupport.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Key = AppPreferences::Key;

class ConfigCommandTest : public ::testing::Test {
protected:
    CommandRun config(const QStringList &arguments, const QByteArray &input = {}, const BundleInfo &bundle = BundleInfo())
    {
        AppPreferences preferences(defaults, aiKeys, std::make_shared<InMemoryAPIKeyStore>(), bundle);
        CapturedStreams streams(input);
        ConfigCommand command(streams.io(), preferences);
        return streams.finish(waitForTask(command.run(arguments)));
    }

    InMemoryUserDefaults defaults;
    std::shared_ptr<InMemoryAPIKeyStore> aiKeys = std::make_shared<InMemoryAPIKeyStore>();
};

TEST_F(ConfigCommandTest, ValuesAreStoredWithTheirTypeAndReadBackCanonically)
{
    const QList<QStringList> rows = {
        // key, value given, value read back
        {"aiBaseURL", "https://api.example.com/v1/chat/completions", "https://api.example.com/v1/chat/completions"},
        {"reminderEnabled", "yes", "true"},
        {"optionDHotkeyEnabled", "0", "false"},
        {"dailyRecommendationHour", "0", "0"}, // the property name stands for "….v1"
        {"ttsProvider", "dashScopeQwen", "dashScopeQwen"},
    };
    for (const QStringList &row : rows) {
        SCOPED_TRACE(row[0].toStdString());
        EXPECT_EQ(config({"set", row[0], row[1]}).exitCode, 0);
        EXPECT_EQ(config({"get", row[0]}).out, row[2] + QLatin1Char('\n'));
    }
    EXPECT_EQ(defaults.integerValue(Key::dailyRecommendationHour), 0);
    EXPECT_EQ(defaults.boolValue(Key::reminderEnabled), true);
    EXPECT_TRUE(config({"list"}).out.contains(QStringLiteral("\ndailyRecommendationHour.v1=0\nd")));
}

TEST_F(ConfigCommandTest, BadInvocationsAreUsageErrorsThatChangeNothing)
{
    const QList<QStringList> invocations = {
        {},
        {"frobnicate"},
        {"set", "aiModel"},
        {"get", "noSuchKey"},
        {"set", "reminderEnabled", "maybe"},
        {"set", "dailyRecommendationHour.v1", "24"},
        {"set", "dailyRecommendationMinute.v1", " 5"},
        {"set", "systemPronunciationAccent", "American"},
        {"set", "aiAPIKey", "sk-plain-text"},
        {"set", "hasSavedAPIKey.v2", "true"},
        {"set-key", "openai"},
    };
    for (const QStringList &arguments : invocations) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const CommandRun run = config(arguments, "sk-123\n");
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(QStringLiteral("rarozezev config --help")));
    }
    for (const QLatin1String key : {Key::reminderEnabled, Key::legacyAIAPIKey, Key::hasSavedAPIKey})
        EXPECT_FALSE(defaults.contains(key)) << key.data();
    EXPECT_EQ(aiKeys->saveCount(), 0);
}

TEST_F(ConfigCommandTest, WritesThatDoNotTakeEffectAreFailures)
{
    defaults.setFailsWrites(true);
    const CommandRun refused = config({"set", "dailyRecommendationHour", "21"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("dailyRecommendationHour.v1")));
    defaults.setFailsWrites(false);

    const BundleInfo beta({{"LQBetaAIBaseURL", "https://beta.example/v1"}, {"LQBetaAIModel", "beta-model"},
                           {"LQBetaAIAPIKey", "sk-beta"}});
    EXPECT_EQ(config({"set", "aiModel", "mine"}, {}, beta).exitCode, 1);
    EXPECT_EQ(config({"set-key", "ai"}, "sk-mine", beta).exitCode, 1);
    EXPECT_FALSE(defaults.contains(Key::aiModel));
    EXPECT_EQ(aiKeys->saveCount(), 0);
    EXPECT_EQ(config({"set", "systemPronunciationAccent", "british"}, {}, beta).exitCode, 0);
}

TEST_F(ConfigCommandTest, SetKeyStoresStandardInputLessOneLineBreak)
{
    const CommandRun saved = config({"set-key", "ai"}, "  sk-with-spaces  \r\n");
    EXPECT_EQ(saved.exitCode, 0);
    EXPECT_EQ(aiKeys->key(), QStringLiteral("  sk-with-spaces  "));
    EXPECT_TRUE(saved.out.isEmpty());
    EXPECT_EQ(config({"get", "hasSavedAPIKey.v2"}).out, QStringLiteral("true\n"));

    // An empty input (an unset variable, say) must not wipe the saved key.
    EXPECT_EQ(config({"set-key", "ai"}, "\n").exitCode, 2);
    EXPECT_EQ(aiKeys->key(), QStringLiteral("  sk-with-spaces  "));

    EXPECT_EQ(config({"delete-key", "ai"}).exitCode, 0);
    EXPECT_EQ(aiKeys->key(), QString());
    EXPECT_EQ(config({"get", "hasSavedAPIKey"}).out, QStringLiteral("false\n"));

    aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus));
    const CommandRun failed = config({"set-key", "ai"}, "sk-123");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("OSStatus -25291")));
    EXPECT_TRUE(failed.err.contains(QStringLiteral("Secret Service")));
}

} // namespace
