#include "preferences/AppPreferences.h"

#include "hotkey/GlobalShortcut.h"
#include "preferences/PreferencesWriteError.h"
#include "logging/AppLogger.h"

#include <algorithm>
#include <limits>

namespace {

const QString defaultAccent = QStringLiteral("american");
const QString defaultFrequency = QStringLiteral("daily");
const QString defaultDifficulty = QStringLiteral("intermediate");

} // namespace

QString AppPreferences::BundledServiceConfiguration::value(const QString &key, const BundleInfo &bundle,
                                                          const QString &defaultValue)
{
    return AppEnvironment::bundleTrimmedValue(key, bundle).value_or(defaultValue);
}

std::optional<AppPreferences::BundledServiceConfiguration>
AppPreferences::BundledServiceConfiguration::fromBundle(const BundleInfo &bundle)
{
    const QString aiBaseURL = value(QStringLiteral("LQBetaAIBaseURL"), bundle, {});
    const QString aiModel = value(QStringLiteral("LQBetaAIModel"), bundle, {});
    const QString aiAPIKey = value(QStringLiteral("LQBetaAIAPIKey"), bundle, {});
    if (aiBaseURL.isEmpty() || aiModel.isEmpty() || aiAPIKey.isEmpty())
        return std::nullopt;
    const UserSettings defaults;
    return BundledServiceConfiguration{
        aiBaseURL,
        aiModel,
        aiAPIKey,
        value(QStringLiteral("LQBetaTTSProvider"), bundle, defaults.ttsProvider),
        value(QStringLiteral("LQBetaTTSBaseURL"), bundle, defaults.ttsBaseURL),
        value(QStringLiteral("LQBetaTTSModel"), bundle, defaults.ttsModel),
        value(QStringLiteral("LQBetaTTSVoice"), bundle, defaults.ttsVoice),
        value(QStringLiteral("LQBetaTTSResponseFormat"), bundle, defaults.ttsResponseFormat),
        value(QStringLiteral("LQBetaTTSAPIKey"), bundle, aiAPIKey),
    };
}

AppPreferences::AppPreferences(UserDefaults &userDefaults, std::shared_ptr<APIKeyStoring> apiKeyStore,
                               std::shared_ptr<APIKeyStoring> ttsAPIKeyStore, const BundleInfo &bundle)
    : m_userDefaults(userDefaults),
      m_apiKeyStore(std::move(apiKeyStore)),
      m_ttsAPIKeyStore(std::move(ttsAPIKeyStore)),
      m_bundledServiceConfiguration(BundledServiceConfiguration::fromBundle(bundle))
{
    if (m_bundledServiceConfiguration) {
        AppLogger::registerSecret(m_bundledServiceConfiguration->aiAPIKey);
        AppLogger::registerSecret(m_bundledServiceConfiguration->ttsAPIKey);
    }
    resetBundledAISettingsIfNeeded();
}

void AppPreferences::resetBundledAISettingsIfNeeded()
{
    if (m_userDefaults.boolValue(Key::didResetBundledAISettings).value_or(false))
        return;
    // The keyring item stays; only the record that a key was saved goes.
    bool removed = true;
    for (const QLatin1String key : {Key::aiBaseURL, Key::aiModel, Key::legacyAIAPIKey, Key::hasSavedAPIKey})
        removed = m_userDefaults.remove(key) && removed;
    // Leave the marker unset when a removal failed, so the next start tries again.
    if (!removed || !m_userDefaults.setBool(Key::didResetBundledAISettings, true))
        AppLogger::error([] { return QStringLiteral("Preferences: the one-time reset of the AI settings could not be written"); });
}

QString AppPreferences::storedString(const QString &key, const QString &defaultValue) const
{
    return m_userDefaults.stringValue(key).value_or(defaultValue);
}

QString AppPreferences::serviceString(QString BundledServiceConfiguration::*field, const QString &key,
                                      const QString &defaultValue) const
{
    if (m_bundledServiceConfiguration)
        return (*m_bundledServiceConfiguration).*field;
    return storedString(key, defaultValue);
}

bool AppPreferences::setServiceString(const QString &key, const QString &value)
{
    if (m_bundledServiceConfiguration)
        return true;
    return m_userDefaults.setString(key, value);
}

bool AppPreferences::storedBool(const QString &key, bool defaultValue) const
{
    return m_userDefaults.boolValue(key).value_or(defaultValue);
}

int AppPreferences::storedInteger(const QString &key, int defaultValue) const
{
    const std::optional<qint64> stored = m_userDefaults.integerValue(key);
    if (!stored)
        return defaultValue;
    return static_cast<int>(std::clamp<qint64>(*stored, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QString AppPreferences::aiBaseURL() const
{
    return serviceString(&BundledServiceConfiguration::aiBaseURL, Key::aiBaseURL, {});
}

bool AppPreferences::setAIBaseURL(const QString &value)
{
    return setServiceString(Key::aiBaseURL, value);
}

QString AppPreferences::aiModel() const
{
    return serviceString(&BundledServiceConfiguration::aiModel, Key::aiModel, {});
}

bool AppPreferences::setAIModel(const QString &value)
{
    return setServiceString(Key::aiModel, value);
}

bool AppPreferences::reminderEnabled() const
{
    return storedBool(Key::reminderEnabled, UserSettings().reminderEnabled);
}

bool AppPreferences::setReminderEnabled(bool value)
{
    return m_userDefaults.setBool(Key::reminderEnabled, value);
}

bool AppPreferences::dailyRecommendationEnabled() const
{
    return storedBool(Key::dailyRecommendationEnabled, false);
}

bool AppPreferences::setDailyRecommendationEnabled(bool value)
{
    return m_userDefaults.setBool(Key::dailyRecommendationEnabled, value);
}

QString AppPreferences::dailyRecommendationFrequency() const
{
    return storedString(Key::dailyRecommendationFrequency, defaultFrequency);
}

bool AppPreferences::setDailyRecommendationFrequency(const QString &value)
{
    return m_userDefaults.setString(Key::dailyRecommendationFrequency, value);
}

int AppPreferences::dailyRecommendationHour() const
{
    return storedInteger(Key::dailyRecommendationHour, 8);
}

bool AppPreferences::setDailyRecommendationHour(int value)
{
    return m_userDefaults.setInteger(Key::dailyRecommendationHour, value);
}

int AppPreferences::dailyRecommendationMinute() const
{
    return storedInteger(Key::dailyRecommendationMinute, 0);
}

bool AppPreferences::setDailyRecommendationMinute(int value)
{
    return m_userDefaults.setInteger(Key::dailyRecommendationMinute, value);
}

QString AppPreferences::dailyRecommendationDifficulty() const
{
    return storedString(Key::dailyRecommendationDifficulty, defaultDifficulty);
}

bool AppPreferences::setDailyRecommendationDifficulty(const QString &value)
{
    return m_userDefaults.setString(Key::dailyRecommendationDifficulty, value);
}

bool AppPreferences::selectionBadgeEnabled() const
{
    return storedBool(Key::selectionBadgeEnabled, UserSettings().selectionBadgeEnabled);
}

bool AppPreferences::setSelectionBadgeEnabled(bool value)
{
    return m_userDefaults.setBool(Key::selectionBadgeEnabled, value);
}

bool AppPreferences::optionDHotkeyEnabled() const
{
    return storedBool(Key::optionDHotkeyEnabled, UserSettings().optionDHotkeyEnabled);
}

bool AppPreferences::setOptionDHotkeyEnabled(bool value)
{
    return m_userDefaults.setBool(Key::optionDHotkeyEnabled, value);
}

QString AppPreferences::globalShortcut() const
{
    const std::optional<GlobalShortcut> stored =
        GlobalShortcut::parse(m_userDefaults.stringValue(Key::globalShortcut).value_or(QString()));
    return stored.value_or(GlobalShortcut::defaultShortcut()).toString();
}

bool AppPreferences::setGlobalShortcut(const QString &value)
{
    return m_userDefaults.setString(Key::globalShortcut, value);
}

bool AppPreferences::didConfirmSelectionBadgePrivacyNotice() const
{
    return storedBool(Key::didConfirmSelectionBadgePrivacyNotice, false);
}

bool AppPreferences::setDidConfirmSelectionBadgePrivacyNotice(bool value)
{
    return m_userDefaults.setBool(Key::didConfirmSelectionBadgePrivacyNotice, value);
}

QString AppPreferences::ttsProvider() const
{
    return serviceString(&BundledServiceConfiguration::ttsProvider, Key::ttsProvider, UserSettings().ttsProvider);
}

bool AppPreferences::setTTSProvider(const QString &value)
{
    return setServiceString(Key::ttsProvider, value);
}

QString AppPreferences::ttsBaseURL() const
{
    return serviceString(&BundledServiceConfiguration::ttsBaseURL, Key::ttsBaseURL, UserSettings::defaultTTSBaseURL());
}

bool AppPreferences::setTTSBaseURL(const QString &value)
{
    return setServiceString(Key::ttsBaseURL, value);
}

QString AppPreferences::ttsModel() const
{
    return serviceString(&BundledServiceConfiguration::ttsModel, Key::ttsModel, UserSettings().ttsModel);
}

bool AppPreferences::setTTSModel(const QString &value)
{
    return setServiceString(Key::ttsModel, value);
}

QString AppPreferences::ttsVoice() const
{
    return serviceString(&BundledServiceConfiguration::ttsVoice, Key::ttsVoice, UserSettings().ttsVoice);
}

bool AppPreferences::setTTSVoice(const QString &value)
{
    return setServiceString(Key::ttsVoice, value);
}

QString AppPreferences::ttsResponseFormat() const
{
    return serviceString(&BundledServiceConfiguration::ttsResponseFormat, Key::ttsResponseFormat,
                         UserSettings().ttsResponseFormat);
}

bool AppPreferences::setTTSResponseFormat(const QString &value)
{
    return setServiceString(Key::ttsResponseFormat, value);
}

QString AppPreferences::systemPronunciationAccent() const
{
    return storedString(Key::systemPronunciationAccent, defaultAccent);
}

bool AppPreferences::setSystemPronunciationAccent(const QString &value)
{
    return m_userDefaults.setString(Key::systemPronunciationAccent, value);
}

bool AppPreferences::hasSavedAPIKey() const
{
    return m_bundledServiceConfiguration || storedBool(Key::hasSavedAPIKey, false);
}

bool AppPreferences::hasSavedTTSAPIKey() const
{
    return m_bundledServiceConfiguration || storedBool(Key::hasSavedTTSAPIKey, false);
}

QCoro::Task<QString> AppPreferences::loadAPIKey()
{
    // Copies: QCoro's co_return moves from a non-const lvalue, which would empty the member.
    if (m_bundledServiceConfiguration)
        co_return QString(m_bundledServiceConfiguration->aiAPIKey);
    const QString key = co_await m_apiKeyStore->loadAPIKey();
    if (!key.isEmpty())
        co_return key;
    co_return co_await migrateLegacyAPIKeyIfNeeded();
}

QCoro::Task<QString> AppPreferences::migrateLegacyAPIKeyIfNeeded()
{
    const std::optional<QString> legacy = m_userDefaults.stringValue(Key::legacyAIAPIKey);
    if (!legacy)
        co_return QString();
    if (legacy->isEmpty()) {
        m_userDefaults.remove(Key::legacyAIAPIKey);
        co_return QString();
    }
    AppLogger::registerSecret(*legacy);
    // Kept exactly as stored, surrounding spaces included: it is what the user once typed.
    co_await m_apiKeyStore->saveAPIKey(*legacy);
    // The key is safe in the key store now; a plain-text copy that cannot be removed is
    // logged rather than allowed to fail the lookup that needed the key.
    if (!m_userDefaults.remove(Key::legacyAIAPIKey) || !m_userDefaults.setBool(Key::hasSavedAPIKey, true))
        AppLogger::error([] { return QStringLiteral("Preferences: the migrated legacy API key could not be cleared"); });
    co_return *legacy;
}

QCoro::Task<QString> AppPreferences::loadTTSAPIKey()
{
    if (m_bundledServiceConfiguration)
        co_return QString(m_bundledServiceConfiguration->ttsAPIKey);
    co_return co_await m_ttsAPIKeyStore->loadAPIKey();
}

QCoro::Task<void> AppPreferences::saveAPIKey(QString key)
{
    if (m_bundledServiceConfiguration)
        co_return;
    co_await m_apiKeyStore->saveAPIKey(key);
    if (!m_userDefaults.setBool(Key::hasSavedAPIKey, !key.isEmpty()))
        throw PreferencesWriteError(Key::hasSavedAPIKey);
    // A plain-text copy left behind would be migrated over the new key one day.
    if (!m_userDefaults.remove(Key::legacyAIAPIKey))
        throw PreferencesWriteError(Key::legacyAIAPIKey);
}

QCoro::Task<void> AppPreferences::saveTTSAPIKey(QString key)
{
    if (m_bundledServiceConfiguration)
        co_return;
    co_await m_ttsAPIKeyStore->saveAPIKey(key);
    if (!m_userDefaults.setBool(Key::hasSavedTTSAPIKey, !key.isEmpty()))
        throw PreferencesWriteError(Key::hasSavedTTSAPIKey);
}

UserSettings AppPreferences::currentUserSettingsWithoutAPIKey() const
{
    UserSettings settings;
    settings.globalShortcut = globalShortcut();
    settings.aiProvider = QStringLiteral("OpenAICompatible");
    settings.aiModel = aiModel();
    settings.baseURL = aiBaseURL();
    settings.reminderEnabled = reminderEnabled();
    settings.reminderTimeHour = 20;
    settings.reminderTimeMinute = 30;
    settings.clipboardFallbackEnabled = true;
    settings.languagePreference = QStringLiteral("zh-Hans");
    settings.selectionBadgeEnabled = selectionBadgeEnabled();
    settings.optionDHotkeyEnabled = optionDHotkeyEnabled();
    settings.ttsProvider = ttsProvider();
    settings.ttsBaseURL = ttsBaseURL();
    settings.ttsModel = ttsModel();
    settings.ttsVoice = ttsVoice();
    settings.ttsResponseFormat = ttsResponseFormat();
    settings.systemPronunciationAccent = systemPronunciationAccent();
    settings.apiKey.clear();
    settings.ttsAPIKey.clear();
    if (m_bundledServiceConfiguration) {
        settings.apiKey = m_bundledServiceConfiguration->aiAPIKey;
        settings.ttsAPIKey = m_bundledServiceConfiguration->ttsAPIKey;
    }
    return settings;
}

QCoro::Task<UserSettings> AppPreferences::currentUserSettings()
{
    UserSettings settings = currentUserSettingsWithoutAPIKey();
    settings.apiKey = co_await loadAPIKey();
    settings.ttsAPIKey = co_await loadTTSAPIKey();
    co_return settings;
}
