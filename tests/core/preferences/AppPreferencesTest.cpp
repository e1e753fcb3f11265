#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "preferences/PreferencesWriteError.h"

#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "support/UserDefaultsStores.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Key = AppPreferences::Key;

BundleInfo betaBundle(const QString &apiKey)
{
    return BundleInfo({
        {"LQBetaAIBaseURL", "  https://beta.example/v1/chat/completions\n"},
        {"LQBetaAIModel", "beta-model"},
        {"LQBetaAIAPIKey", apiKey},
        {"LQBetaTTSModel", "beta-tts"},
        {"LQBetaTTSVoice", "$(BETA_TTS_VOICE)"}, // unexpanded: the default applies
    });
}

template <typename Store>
class AppPreferencesTest : public ::testing::Test {
protected:
    std::unique_ptr<AppPreferences> make(const BundleInfo &bundle = BundleInfo())
    {
        return std::make_unique<AppPreferences>(d, aiKeys, ttsKeys, bundle);
    }
    // Marks the one-time reset as done, as on every start after the first.
    void skipReset() { ASSERT_TRUE(d.setBool(Key::didResetBundledAISettings, true)); }

    UserDefaultsStore<Store> factory;
    std::unique_ptr<UserDefaults> defaults = factory.make();
    UserDefaults &d = *defaults;
    std::shared_ptr<InMemoryAPIKeyStore> aiKeys = std::make_shared<InMemoryAPIKeyStore>();
    std::shared_ptr<InMemoryAPIKeyStore> ttsKeys = std::make_shared<InMemoryAPIKeyStore>();
};

TYPED_TEST_SUITE(AppPreferencesTest, UserDefaultsImplementations);

TYPED_TEST(AppPreferencesTest, FirstConstructionResetsTheAISettingsAndLaterOnesDoNot)
{
    const QLatin1String reset[] = {Key::aiBaseURL, Key::aiModel, Key::legacyAIAPIKey, Key::hasSavedAPIKey};
    auto storeAISettings = [&] {
        for (const QLatin1String key : reset)
            EXPECT_TRUE(key == Key::hasSavedAPIKey ? this->d.setBool(key, true) : this->d.setString(key, "old"));
    };
    storeAISettings();
    waitForTask(this->aiKeys->saveAPIKey("sk-in-keyring"));
    auto first = this->make();
    for (const QLatin1String key : reset)
        EXPECT_FALSE(this->d.contains(key)) << key.data();
    EXPECT_FALSE(first->hasSavedAPIKey());
    EXPECT_EQ(this->aiKeys->key(), "sk-in-keyring") << "the keyring is not touched";

    storeAISettings();
    auto second = this->make();
    EXPECT_EQ(second->aiBaseURL(), "old");
    EXPECT_TRUE(second->hasSavedAPIKey());
}

TYPED_TEST(AppPreferencesTest, StoredZeroValuesAndEmptyStringsAreValuesNotAbsences)
{
    auto prefs = this->make();
    EXPECT_TRUE(prefs->setDailyRecommendationHour(0));
    EXPECT_TRUE(prefs->setOptionDHotkeyEnabled(false));
    EXPECT_TRUE(prefs->setTTSProvider(QString()));
    // Another instance over the same store sees the same values.
    const UserSettings snapshot = this->make()->currentUserSettingsWithoutAPIKey();
    EXPECT_EQ(this->make()->dailyRecommendationHour(), 0);
    EXPECT_FALSE(snapshot.optionDHotkeyEnabled);
    EXPECT_EQ(snapshot.ttsProvider, QString());
    EXPECT_NE(snapshot.id, prefs->currentUserSettingsWithoutAPIKey().id) << "each snapshot is new";
}

TYPED_TEST(AppPreferencesTest, BuiltInConfigurationOverridesTheServiceSettingsAndIgnoresTheirWrites)
{
    this->skipReset();
    for (const char *unusable : {"$(LQ_BETA_AI_API_KEY)", " \n "}) {
        auto prefs = this->make(betaBundle(unusable));
        EXPECT_FALSE(prefs->hasBundledServiceConfiguration());
        EXPECT_TRUE(prefs->setAIModel("mine"));
        EXPECT_EQ(prefs->aiModel(), "mine");
    }
    EXPECT_TRUE(this->d.setString(Key::ttsModel, "stored-tts"));
    this->ttsKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(-25291));
    this->aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(-25291));

    auto prefs = this->make(betaBundle("sk-beta-ai"));
    ASSERT_TRUE(prefs->hasBundledServiceConfiguration());
    EXPECT_EQ(prefs->aiBaseURL(), "https://beta.example/v1/chat/completions") << "trimmed";
    EXPECT_EQ(prefs->ttsVoice(), UserSettings().ttsVoice);
    EXPECT_TRUE(prefs->hasSavedAPIKey() && prefs->hasSavedTTSAPIKey());
    EXPECT_TRUE(prefs->setTTSModel("ignored") && prefs->setAIModel("ignored"));
    EXPECT_EQ(this->d.stringValue(Key::ttsModel), "stored-tts");
    EXPECT_EQ(this->d.stringValue(Key::aiModel), "mine");
    EXPECT_EQ(prefs->ttsModel(), "beta-tts");

    // The keys come from the build; the (failing) key stores are never asked.
    EXPECT_NO_THROW(waitForTask(prefs->saveAPIKey("sk-user")));
    const UserSettings settings = waitForTask(prefs->currentUserSettings());
    EXPECT_EQ(settings.apiKey, "sk-beta-ai");
    EXPECT_EQ(settings.ttsAPIKey, "sk-beta-ai") << "the speech key falls back to the AI key";
    EXPECT_EQ(settings.aiModel, "beta-model");
}

TYPED_TEST(AppPreferencesTest, ALegacyPlainTextKeyIsMigratedOnceAndNeverComesBack)
{
    this->skipReset();
    UserDefaults &d = this->d;
    auto prefs = this->make();
    EXPECT_TRUE(d.setString(Key::legacyAIAPIKey, QString()));
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), QString());
    EXPECT_FALSE(d.contains(Key::legacyAIAPIKey)) << "an empty legacy key is just removed";

    // Not trimmed: two spaces are what the user once saved.
    EXPECT_TRUE(d.setString(Key::legacyAIAPIKey, "  "));
    this->aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(-25293));
    EXPECT_THROW(waitForTask(prefs->loadAPIKey()), KeychainAPIKeyStoreError);
    EXPECT_TRUE(d.contains(Key::legacyAIAPIKey)) << "kept until it is safely stored";
    this->aiKeys->setFailure(std::nullopt);
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), "  ");
    EXPECT_EQ(this->aiKeys->key(), "  ");
    EXPECT_FALSE(d.contains(Key::legacyAIAPIKey));
    EXPECT_TRUE(prefs->hasSavedAPIKey());
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), "  ");
    EXPECT_EQ(this->aiKeys->saveCount(), 1) << "migrated once only";

    // Saving a new key drops a stale plain-text copy, which would otherwise be migrated over it.
    EXPECT_TRUE(d.setString(Key::legacyAIAPIKey, "sk-stale"));
    waitForTask(prefs->saveAPIKey("sk-new"));
    EXPECT_FALSE(d.contains(Key::legacyAIAPIKey));
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), "sk-new");
    waitForTask(prefs->saveAPIKey(QString()));
    EXPECT_FALSE(prefs->hasSavedAPIKey());
}

TYPED_TEST(AppPreferencesTest, TheSpeechKeyIsSavedApartAndARefusedSaveChangesNothing)
{
    this->skipReset();
    auto prefs = this->make();
    waitForTask(prefs->saveTTSAPIKey("sk-tts"));
    EXPECT_TRUE(prefs->hasSavedTTSAPIKey());
    EXPECT_EQ(waitForTask(prefs->loadTTSAPIKey()), "sk-tts");
    EXPECT_EQ(waitForTask(prefs->loadAPIKey()), QString()) << "no fallback between the two keys";

    this->ttsKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(-25291));
    EXPECT_THROW(waitForTask(prefs->saveTTSAPIKey(QString())), KeychainAPIKeyStoreError);
    EXPECT_TRUE(prefs->hasSavedTTSAPIKey());
    EXPECT_THROW(waitForTask(prefs->currentUserSettings()), KeychainAPIKeyStoreError);
}

TEST(AppPreferencesWriteFailures, ARefusedWriteIsReportedAndTheResetIsRetried)
{
    InMemoryUserDefaults defaults;
    auto keys = std::make_shared<InMemoryAPIKeyStore>();
    ASSERT_TRUE(defaults.setString(Key::aiModel, "old-model"));
    defaults.setFailsWrites(true);
    AppPreferences prefs(defaults, keys, std::make_shared<InMemoryAPIKeyStore>(), BundleInfo());
    EXPECT_FALSE(prefs.setDailyRecommendationHour(21));
    EXPECT_NE(prefs.dailyRecommendationHour(), 21);
    // The key reached the keyring but the record of it did not: the caller must hear of it.
    EXPECT_THROW(waitForTask(prefs.saveAPIKey("sk-new")), PreferencesWriteError);
    EXPECT_EQ(keys->key(), "sk-new");

    defaults.setFailsWrites(false);
    AppPreferences retried(defaults, keys, std::make_shared<InMemoryAPIKeyStore>(), BundleInfo());
    EXPECT_EQ(defaults.boolValue(Key::didResetBundledAISettings), true);
    EXPECT_FALSE(defaults.contains(Key::aiModel));
}

} // namespace
