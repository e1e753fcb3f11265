#include "app/cli/ConfigCommand.h"
#include "services/AppPreferences.h"
#include "services/InMemoryAPIKeyStore.h"
#include "services/InMemoryUserDefaults.h"

#include "app/CommandTestSupport.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class ConfigCommandTest : public ::testing::Test {
protected:
    struct Run {
        int exitCode;
        QString out;
        QString err;
    };

    Run config(const QStringList &arguments, const QByteArray &input = {}, const BundleInfo &bundle = BundleInfo())
    {
        AppPreferences preferences(defaults, aiKeys, ttsKeys, bundle);
        CapturedStreams streams(input);
        ConfigCommand command(streams.io(), preferences);
        const int exitCode = waitForTask(command.run(arguments));
        return {exitCode, streams.out(), streams.err()};
    }

    InMemoryUserDefaults defaults;
    std::shared_ptr<InMemoryAPIKeyStore> aiKeys = std::make_shared<InMemoryAPIKeyStore>();
    std::shared_ptr<InMemoryAPIKeyStore> ttsKeys = std::make_shared<InMemoryAPIKeyStore>();
};

TEST_F(ConfigCommandTest, SetValuesReadBackInTheirCanonicalForm)
{
    struct Case {
        const char *key;
        const char *value;
        const char *readBack;
    };
    const Case cases[] = {
        {"aiBaseURL", "https://api.example.com/v1/chat/completions", "https://api.example.com/v1/chat/completions"},
        {"aiModel", "", ""},
        {"reminderEnabled", "yes", "true"},
        {"optionDHotkeyEnabled", "0", "false"},
        {"selectionBadgeEnabled", "TRUE", "true"},
        {"dailyRecommendationEnabled.v1", "no", "false"},
        // The property name stands for the versioned key.
        {"dailyRecommendationHour", "0", "0"},
        {"dailyRecommendationMinute.v1", "59", "59"},
        {"dailyRecommendationFrequency", "weekdays", "weekdays"},
        {"ttsProvider", "dashScopeQwen", "dashScopeQwen"},
        {"ttsVoice", "Cherry 2", "Cherry 2"},
        {"systemPronunciationAccent", "british", "british"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        const Run set = config({QStringLiteral("set"), QString::fromUtf8(c.key), QString::fromUtf8(c.value)});
        EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
        const Run get = config({QStringLiteral("get"), QString::fromUtf8(c.key)});
        EXPECT_EQ(get.exitCode, 0);
        EXPECT_EQ(get.out, QString::fromUtf8(c.readBack) + QLatin1Char('\n'));
    }
    EXPECT_EQ(defaults.integerValue(AppPreferences::Key::dailyRecommendationHour), 0) << "stored as an integer";
    EXPECT_EQ(defaults.boolValue(AppPreferences::Key::reminderEnabled), true) << "stored as a boolean";

    const Run list = config({QStringLiteral("list")});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.startsWith(QStringLiteral("aiBaseURL=https://api.example.com/v1/chat/completions\naiModel=\n")));
    EXPECT_TRUE(list.out.contains(QStringLiteral("\ndailyRecommendationHour.v1=0\n")));
    EXPECT_TRUE(list.out.contains(QStringLiteral("\nttsModel=gpt-4o-mini-tts\n"))) << "defaults are listed too";
}

TEST_F(ConfigCommandTest, BadInvocationsAreUsageErrorsThatChangeNothing)
{
    const QList<QStringList> invocations = {
        {},
        {"frobnicate"},
        {"get"},
        {"get", "noSuchKey"},
        {"get", "aiAPIKey"},
        {"set", "aiModel"},
        {"set", "aiModel", "a", "b"},
        {"set", "noSuchKey", "1"},
        {"set", "reminderEnabled", "maybe"},
        {"set", "dailyRecommendationHour.v1", "24"},
        {"set", "dailyRecommendationHour.v1", "8.5"},
        {"set", "dailyRecommendationMinute.v1", " 5"},
        {"set", "dailyRecommendationDifficulty.v1", "expert"},
        {"set", "systemPronunciationAccent", "American"},
        {"set", "aiAPIKey", "sk-plain-text"},
        {"set", "hasSavedAPIKey.v2", "true"},
        {"set", "didResetBundledAISettings.v2", "false"},
        {"set-key", "openai"},
    };
    for (const QStringList &arguments : invocations) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const Run run = config(arguments, "sk-123\n");
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(QStringLiteral("rarozezev config --help")));
    }
    // Only the one-time reset marker was written.
    EXPECT_FALSE(defaults.contains(AppPreferences::Key::reminderEnabled));
    EXPECT_FALSE(defaults.contains(AppPreferences::Key::legacyAIAPIKey));
    EXPECT_FALSE(defaults.contains(AppPreferences::Key::hasSavedAPIKey));
    EXPECT_EQ(aiKeys->saveCount(), 0);
}

TEST_F(ConfigCommandTest, WritesThatDoNotTakeEffectAreFailures)
{
    defaults.setFailsWrites(true);
    const Run refused = config({QStringLiteral("set"), QStringLiteral("dailyRecommendationHour"), QStringLiteral("21")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("dailyRecommendationHour.v1"))) << refused.err.toStdString();
    defaults.setFailsWrites(false);

    const BundleInfo beta({{QStringLiteral("LQBetaAIBaseURL"), QStringLiteral("https://beta.example/v1")},
                           {QStringLiteral("LQBetaAIModel"), QStringLiteral("beta-model")},
                           {QStringLiteral("LQBetaAIAPIKey"), QStringLiteral("sk-beta")}});
    const Run fixed = config({QStringLiteral("set"), QStringLiteral("aiModel"), QStringLiteral("mine")}, {}, beta);
    EXPECT_EQ(fixed.exitCode, 1);
    EXPECT_TRUE(fixed.err.contains(QStringLiteral("内置")));
    EXPECT_FALSE(defaults.contains(AppPreferences::Key::aiModel));
    const Run key = config({QStringLiteral("set-key"), QStringLiteral("ai")}, "sk-mine", beta);
    EXPECT_EQ(key.exitCode, 1);
    EXPECT_EQ(aiKeys->saveCount(), 0);
    // The accent is never part of the fixed configuration.
    EXPECT_EQ(config({QStringLiteral("set"), QStringLiteral("systemPronunciationAccent"), QStringLiteral("british")}, {}, beta)
                  .exitCode,
              0);
}

TEST_F(ConfigCommandTest, SetKeyStoresStandardInputLessOneLineBreak)
{
    const Run ai = config({QStringLiteral("set-key"), QStringLiteral("ai")}, "  sk-with-spaces  \n");
    EXPECT_EQ(ai.exitCode, 0) << ai.err.toStdString();
    EXPECT_EQ(aiKeys->key(), QStringLiteral("  sk-with-spaces  "));
    EXPECT_TRUE(ai.out.isEmpty()) << "nothing about the key goes to standard output";
    EXPECT_EQ(config({QStringLiteral("get"), QStringLiteral("hasSavedAPIKey.v2")}).out, QStringLiteral("true\n"));

    EXPECT_EQ(config({QStringLiteral("set-key"), QStringLiteral("tts")}, "sk-tts\r\n").exitCode, 0);
    EXPECT_EQ(ttsKeys->key(), QStringLiteral("sk-tts"));
    EXPECT_EQ(aiKeys->key(), QStringLiteral("  sk-with-spaces  "));

    // An empty input (say, an unset variable) must not wipe the saved key.
    const Run empty = config({QStringLiteral("set-key"), QStringLiteral("ai")}, "\n");
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_EQ(aiKeys->key(), QStringLiteral("  sk-with-spaces  "));

    EXPECT_EQ(config({QStringLiteral("delete-key"), QStringLiteral("ai")}).exitCode, 0);
    EXPECT_EQ(aiKeys->key(), QString());
    EXPECT_EQ(config({QStringLiteral("get"), QStringLiteral("hasSavedAPIKey")}).out, QStringLiteral("false\n"));
}

TEST_F(ConfigCommandTest, KeyringFailureIsExplained)
{
    aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus));
    const Run run = config({QStringLiteral("set-key"), QStringLiteral("ai")}, "sk-123");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("OSStatus -25291"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Secret Service")));
    EXPECT_FALSE(defaults.boolValue(AppPreferences::Key::hasSavedAPIKey).value_or(false));
}

} // namespace
