#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "preferences/PreferencesWriteError.h"
#include "preferences/SQLiteUserDefaults.h"
#include "speech/TextToSpeechProviderCatalogue.h"

#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "support/UserDefaultsStores.h"

#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace {

const BundleInfo betaBundle({
    {QStringLiteral("LQBetaAIBaseURL"), QStringLiteral("  https://beta.example/v1/chat/completions\n")},
    {QStringLiteral("LQBetaAIModel"), QStringLiteral("beta-model")},
    {QStringLiteral("LQBetaAIAPIKey"), QStringLiteral("sk-beta-ai")},
    {QStringLiteral("LQBetaTTSModel"), QStringLiteral("beta-tts")},
    // An unexpanded build variable counts as missing: the default applies.
    {QStringLiteral("LQBetaTTSVoice"), QStringLiteral("$(BETA_TTS_VOICE)")},
});

template<typename Store>
class AppPreferencesTest : public ::testing::Test {
protected:
    std::unique_ptr<AppPreferences> makePreferences(const BundleInfo &bundle = BundleInfo())
    {
        return std::make_unique<AppPreferences>(*defaults, aiKeys, ttsKeys, bundle);
    }
    // Marks the one-time reset as done, as on every start after the first.
    void skipReset() { ASSERT_TRUE(defaults->setBool(AppPreferences::Key::didResetBundledAISettings, true)); }

    UserDefaultsStore<Store> factory;
    std::unique_ptr<UserDefaults> defaults = factory.make();
    std::shared_ptr<InMemoryAPIKeyStore> aiKeys = std::make_shared<InMemoryAPIKeyStore>();
    std::shared_ptr<InMemoryAPIKeyStore> ttsKeys = std::make_shared<InMemoryAPIKeyStore>();
};

TYPED_TEST_SUITE(AppPreferencesTest, UserDefaultsImplementations);

TYPED_TEST(AppPreferencesTest, FirstConstructionResetsTheAISettingsAndLaterOnesDoNot)
{
    UserDefaults &d = *this->defaults;
    using Key = AppPreferences::Key;
    auto storeAISettings = [&] {
        EXPECT_TRUE(d.setString(Key::aiBaseURL, QStringLiteral("https://old.example/v1")));
        EXPECT_TRUE(d.setString(Key::aiModel, QStringLiteral("old-model")));
        EXPECT_TRUE(d.setString(Key::legacyAIAPIKey, QStringLiteral("sk-old")));
        EXPECT_TRUE(d.setBool(Key::hasSavedAPIKey, true));
    };
    storeAISettings();
    waitForTask(this->aiKeys->saveAPIKey(QStringLiteral("sk-in-keyring")));

    auto first = this->makePreferences();
    for (const QLatin1String key : {Key::aiBaseURL, Key::aiModel, Key::legacyAIAPIKey, Key::hasSavedAPIKey})
        EXPECT_FALSE(d.contains(key)) << key.data();
    EXPECT_EQ(d.boolValue(Key::didResetBundledAISettings), true);
    EXPECT_FALSE(first->hasSavedAPIKey());
    EXPECT_EQ(this->aiKeys->key(), QStringLiteral("sk-in-keyring")) << "the keyring is not touched";

    storeAISettings();
    auto second = this->makePreferences();
    EXPECT_EQ(second->aiBaseURL(), QStringLiteral("https://old.example/v1"));
    EXPECT_EQ(second->aiModel(), QStringLiteral("old-model"));
    EXPECT_TRUE(second->hasSavedAPIKey());
    EXPECT_TRUE(d.contains(Key::legacyAIAPIKey));
}

TYPED_TEST(AppPreferencesTest, StoredZeroValuesAndEmptyStringsAreValuesNotAbsences)
{
    auto prefs = this->makePreferences();
    EXPECT_EQ(prefs->dailyRecommendationHour(), 8);
    EXPECT_TRUE(prefs->optionDHotkeyEnabled());
    EXPECT_EQ(prefs->ttsProvider(), QStringLiteral("openai"));

    EXPECT_TRUE(prefs->setDailyRecommendationHour(0));
    EXPECT_TRUE(prefs->setOptionDHotkeyEnabled(false));
    EXPECT_TRUE(prefs->setTTSProvider(QString()));
    EXPECT_TRUE(prefs->setDailyRecommendationFrequency(QStringLiteral("fortnightly")));

    // Another instance over the same database sees the same values.
    auto other = this->makePreferences();
    EXPECT_EQ(other->dailyRecommendationHour(), 0);
    EXPECT_FALSE(other->optionDHotkeyEnabled());
    EXPECT_EQ(other->ttsProvider(), QString());
    EXPECT_EQ(other->dailyRecommendationFrequency(), QStringLiteral("fortnightly")) << "stored text is returned as is";

    const UserSettings snapshot = other->currentUserSettingsWithoutAPIKey();
    EXPECT_FALSE(snapshot.optionDHotkeyEnabled);
    EXPECT_EQ(snapshot.ttsProvider, QString());
    EXPECT_NE(snapshot.id, prefs->currentUserSettingsWithoutAPIKey().id) << "each snapshot is new";
}

TYPED_TEST(AppPreferencesTest, UnexpandedOrBlankBuiltInValuesMeanNoBuiltInConfiguration)
{
    for (const QString &key : {QStringLiteral("$(LQ_BETA_AI_API_KEY)"), QStringLiteral(" \n ")}) {
        const BundleInfo bundle({{QStringLiteral("LQBetaAIBaseURL"), QStringLiteral("https://beta.example/v1")},
                                 {QStringLiteral("LQBetaAIModel"), QStringLiteral("beta-model")},
                                 {QStringLiteral("LQBetaAIAPIKey"), key}});
        auto prefs = this->makePreferences(bundle);
        EXPECT_FALSE(prefs->hasBundledServiceConfiguration());
        EXPECT_TRUE(prefs->setAIModel(QStringLiteral("mine")));
        EXPECT_EQ(prefs->aiModel(), QStringLiteral("mine"));
    }
}

TYPED_TEST(AppPreferencesTest, BuiltInConfigurationOverridesTheServiceSettingsAndIgnoresTheirWrites)
{
    this->skipReset();
    UserDefaults &d = *this->defaults;
    EXPECT_TRUE(d.setString(AppPreferences::Key::ttsModel, QStringLiteral("stored-tts")));
    this->ttsKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(-25291));
    this->aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(-25291));

    auto prefs = this->makePreferences(betaBundle);
    ASSERT_TRUE(prefs->hasBundledServiceConfiguration());
    EXPECT_EQ(prefs->aiBaseURL(), QStringLiteral("https://beta.example/v1/chat/completions")) << "trimmed";
    EXPECT_EQ(prefs->ttsModel(), QStringLiteral("beta-tts"));
    EXPECT_EQ(prefs->ttsVoice(), QStringLiteral("alloy"));
    EXPECT_TRUE(prefs->hasSavedAPIKey());
    EXPECT_TRUE(prefs->hasSavedTTSAPIKey());

    EXPECT_TRUE(prefs->setTTSModel(QStringLiteral("ignored")));
    EXPECT_TRUE(prefs->setAIModel(QStringLiteral("ignored")));
    EXPECT_EQ(d.stringValue(AppPreferences::Key::ttsModel), QStringLiteral("stored-tts"));
    EXPECT_FALSE(d.contains(AppPreferences::Key::aiModel));
    EXPECT_EQ(prefs->ttsModel(), QStringLiteral("beta-tts"));
    EXPECT_TRUE(prefs->setSystemPronunciationAccent(QStringLiteral("british")));
    EXPECT_EQ(prefs->systemPronunciationAccent(), QStringLiteral("british"));

    // The keys come from the build; the (failing) key stores are never asked.
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), QStringLiteral("sk-beta-ai"));
    EXPECT_EQ(waitForTask(prefs->loadTTSAPIKey()), QStringLiteral("sk-beta-ai")) << "speech key falls back to the AI key";
    EXPECT_NO_THROW(waitForTask(prefs->saveAPIKey(QStringLiteral("sk-user"))));
    const UserSettings settings = waitForTask(prefs->currentUserSettings());
    EXPECT_EQ(settings.apiKey, QStringLiteral("sk-beta-ai"));
    EXPECT_EQ(settings.ttsAPIKey, QStringLiteral("sk-beta-ai"));
    EXPECT_EQ(settings.aiModel, QStringLiteral("beta-model"));
    EXPECT_EQ(prefs->currentUserSettingsWithoutAPIKey().apiKey, QStringLiteral("sk-beta-ai"));
}

TYPED_TEST(AppPreferencesTest, LegacyPlainTextKeyIsMigratedExactlyOnce)
{
    this->skipReset();
    UserDefaults &d = *this->defaults;
    auto prefs = this->makePreferences();

    EXPECT_TRUE(d.setString(AppPreferences::Key::legacyAIAPIKey, QString()));
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), QString());
    EXPECT_FALSE(d.contains(AppPreferences::Key::legacyAIAPIKey)) << "an empty legacy key is just removed";
    EXPECT_EQ(this->aiKeys->saveCount(), 0);

    // Not trimmed: two spaces are what the user once saved.
    EXPECT_TRUE(d.setString(AppPreferences::Key::legacyAIAPIKey, QStringLiteral("  ")));
    this->aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(-25293));
    EXPECT_THROW(waitForTask(prefs->loadAPIKey()), KeychainAPIKeyStoreError);
    EXPECT_TRUE(d.contains(AppPreferences::Key::legacyAIAPIKey)) << "kept until it is safely stored";

    this->aiKeys->setFailure(std::nullopt);
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), QStringLiteral("  "));
    EXPECT_EQ(this->aiKeys->key(), QStringLiteral("  "));
    EXPECT_FALSE(d.contains(AppPreferences::Key::legacyAIAPIKey));
    EXPECT_TRUE(prefs->hasSavedAPIKey());
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), QStringLiteral("  "));
    EXPECT_EQ(this->aiKeys->saveCount(), 1) << "migrated once only";
}

TYPED_TEST(AppPreferencesTest, SavingKeysRecordsWhetherOneIsSaved)
{
    this->skipReset();
    UserDefaults &d = *this->defaults;
    auto prefs = this->makePreferences();

    // Deleting when nothing was saved succeeds.
    EXPECT_NO_THROW(waitForTask(prefs->saveAPIKey(QString())));
    EXPECT_EQ(d.boolValue(AppPreferences::Key::hasSavedAPIKey), false);

    EXPECT_TRUE(d.setString(AppPreferences::Key::legacyAIAPIKey, QStringLiteral("sk-stale")));
    waitForTask(prefs->saveAPIKey(QStringLiteral("sk-new")));
    EXPECT_TRUE(prefs->hasSavedAPIKey());
    EXPECT_FALSE(d.contains(AppPreferences::Key::legacyAIAPIKey)) << "a stale plain-text key must not come back";
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), QStringLiteral("sk-new"));

    waitForTask(prefs->saveAPIKey(QString()));
    EXPECT_FALSE(prefs->hasSavedAPIKey());
    EXPECT_EQ(this->aiKeys->key(), QString());

    waitForTask(prefs->saveTTSAPIKey(QStringLiteral("sk-tts")));
    EXPECT_TRUE(prefs->hasSavedTTSAPIKey());
    EXPECT_EQ(waitForTask(prefs->loadTTSAPIKey()), QStringLiteral("sk-tts"));
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), QString()) << "no fallback between the two keys";

    this->ttsKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(-25291));
    EXPECT_THROW(waitForTask(prefs->saveTTSAPIKey(QString())), KeychainAPIKeyStoreError);
    EXPECT_TRUE(prefs->hasSavedTTSAPIKey()) << "a refused save changes nothing";
    EXPECT_THROW(waitForTask(prefs->currentUserSettings()), KeychainAPIKeyStoreError);
}

TEST(AppPreferencesWriteFailures, ARefusedWriteIsReportedAndTheResetIsRetried)
{
    InMemoryUserDefaults defaults;
    auto keys = std::make_shared<InMemoryAPIKeyStore>();
    ASSERT_TRUE(defaults.setString(AppPreferences::Key::aiModel, QStringLiteral("old-model")));
    defaults.setFailsWrites(true);

    AppPreferences prefs(defaults, keys, std::make_shared<InMemoryAPIKeyStore>(), BundleInfo());
    EXPECT_FALSE(defaults.contains(AppPreferences::Key::didResetBundledAISettings));
    EXPECT_FALSE(prefs.setDailyRecommendationHour(21));
    EXPECT_EQ(prefs.dailyRecommendationHour(), 8);

    // The key reached the keyring but the record of it did not: the caller must hear of it.
    EXPECT_THROW(waitForTask(prefs.saveAPIKey(QStringLiteral("sk-new"))), PreferencesWriteError);
    EXPECT_EQ(keys->key(), QStringLiteral("sk-new"));

    defaults.setFailsWrites(false);
    AppPreferences retried(defaults, keys, std::make_shared<InMemoryAPIKeyStore>(), BundleInfo());
    EXPECT_EQ(defaults.boolValue(AppPreferences::Key::didResetBundledAISettings), true);
}

TEST(TextToSpeechProviderCatalogue, DashScopeTemplateKeepsThePlaceholderAsItsFirstHostLabel)
{
    const auto qwen = TextToSpeechProviderCatalogue::provider(QStringLiteral("dashScopeQwen"));
    ASSERT_TRUE(qwen && qwen->defaults);
    QString workspaceTemplate = qwen->defaults->baseURL;
    EXPECT_TRUE(workspaceTemplate.startsWith(QStringLiteral("https://{WorkspaceId}.cn-beijing.")));
    EXPECT_EQ(QUrl(workspaceTemplate.replace(QStringLiteral("{WorkspaceId}"), QStringLiteral("ws1"))).path(),
              QStringLiteral("/compatible-mode/v1"));
    EXPECT_FALSE(TextToSpeechProviderCatalogue::provider(QStringLiteral("system"))->defaults);
}

} // namespace
