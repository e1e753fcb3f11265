#include "app/cli/CommandTestSupport.h"

namespace {

using Key = AppPreferences::Key;

class ConfigCommandTest : public CommandTest {
protected:
    // A beta build carries its own service, which the learner may not change.
    AppPreferencesStoring &preferences() override { return beta ? betaPrefs : prefs; }

    bool beta = false;
    AppPreferences betaPrefs{defaults, aiKeys, std::make_shared<InMemoryAPIKeyStore>(),
                             BundleInfo({{"LQBetaAIBaseURL", "https://beta.example/v1"},
                                         {"LQBetaAIModel", "beta-model"},
                                         {"LQBetaAIAPIKey", "sk-beta"}})};
};

TEST_F(ConfigCommandTest, ValuesAreStoredWithTheirTypeAndReadBackCanonically)
{
    const QList<QStringList> rows = {
        // key, value given, value read back
        {"aiBaseURL", "https://api.example.com/v1", "https://api.example.com/v1"},
        {"reminderEnabled", "yes", "true"},
        {"optionDHotkeyEnabled", "0", "false"},
        {"dailyRecommendationHour", "0", "0"}, // the property name stands for "….v1"
        {"launchAtLogin", "yes", "true"}, // the autostart entry, not a value in the defaults
    };
    for (const QStringList &row : rows) {
        EXPECT_EQ(run({"config", "set", row[0], row[1]}).exitCode, 0) << row[0].toStdString();
        EXPECT_EQ(run({"config", "get", row[0]}).out, row[2] + QLatin1Char('\n'));
    }
    EXPECT_EQ(defaults.integerValue(Key::dailyRecommendationHour), 0);
    EXPECT_EQ(defaults.boolValue(Key::reminderEnabled), true);
    EXPECT_TRUE(run({"config", "list"}).out.contains(QStringLiteral("\ndailyRecommendationHour.v1=0\n")));
}

TEST_F(ConfigCommandTest, WritesThatDoNotTakeEffectAreFailures)
{
    defaults.setFailsWrites(true);
    EXPECT_EQ(run({"config", "set", "dailyRecommendationHour", "21"}).exitCode, 1);
    defaults.setFailsWrites(false);
    aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(KeychainAPIKeyStoreError::notAvailableStatus));
    EXPECT_EQ(run({"config", "set-key", "ai"}, "sk-123").exitCode, 1);

    beta = true;
    EXPECT_EQ(run({"config", "set", "aiModel", "mine"}).exitCode, 1);
    EXPECT_EQ(run({"config", "set-key", "ai"}, "sk-mine").exitCode, 1);
    EXPECT_FALSE(defaults.contains(Key::aiModel));
    EXPECT_EQ(aiKeys->saveCount(), 0);
    EXPECT_EQ(run({"config", "set", "systemPronunciationAccent", "british"}).exitCode, 0);
}

TEST_F(ConfigCommandTest, SetKeyStoresStandardInputLessOneLineBreakAndNeverAnEmptyKey)
{
    EXPECT_EQ(run({"config", "set-key", "ai"}, "  sk-with-spaces  \r\n").exitCode, 0);
    EXPECT_EQ(run({"config", "set-key", "ai"}, "\n").exitCode, 2);
    EXPECT_EQ(aiKeys->key(), QStringLiteral("  sk-with-spaces  "));
}

} // namespace
