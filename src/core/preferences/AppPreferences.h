#pragma once

#include "preferences/APIKeyStoring.h"
#include "preferences/AppPreferencesStoring.h"
#include "preferences/UserDefaults.h"
#include "foundation/BundleInfo.h"

#include <QLatin1String>

#include <memory>
#include <optional>

// The preferences over a user defaults database and two key stores. Several instances over
// the same database see the same values; the instance holds no state of its own beyond
// whether the build fixes the service configuration, decided at construction.
class AppPreferences : public AppPreferencesStoring {
public:
    // The keys in the user defaults; stored files depend on them.
    struct Key {
        static constexpr QLatin1String aiBaseURL{"aiBaseURL"};
        static constexpr QLatin1String aiModel{"aiModel"};
        static constexpr QLatin1String legacyAIAPIKey{"aiAPIKey"};
        static constexpr QLatin1String hasSavedAPIKey{"hasSavedAPIKey.v2"};
        static constexpr QLatin1String hasSavedTTSAPIKey{"hasSavedTTSAPIKey.v1"};
        static constexpr QLatin1String didResetBundledAISettings{"didResetBundledAISettings.v2"};
        static constexpr QLatin1String reminderEnabled{"reminderEnabled"};
        static constexpr QLatin1String selectionBadgeEnabled{"selectionBadgeEnabled"};
        static constexpr QLatin1String optionDHotkeyEnabled{"optionDHotkeyEnabled"};
        static constexpr QLatin1String globalShortcut{"globalShortcut"};
        static constexpr QLatin1String didConfirmSelectionBadgePrivacyNotice{"didConfirmSelectionBadgePrivacyNotice.v1"};
        static constexpr QLatin1String ttsProvider{"ttsProvider"};
        static constexpr QLatin1String ttsBaseURL{"ttsBaseURL"};
        static constexpr QLatin1String ttsModel{"ttsModel"};
        static constexpr QLatin1String ttsVoice{"ttsVoice"};
        static constexpr QLatin1String ttsResponseFormat{"ttsResponseFormat"};
        static constexpr QLatin1String systemPronunciationAccent{"systemPronunciationAccent"};
        static constexpr QLatin1String dailyRecommendationEnabled{"dailyRecommendationEnabled.v1"};
        static constexpr QLatin1String dailyRecommendationFrequency{"dailyRecommendationFrequency.v1"};
        static constexpr QLatin1String dailyRecommendationHour{"dailyRecommendationHour.v1"};
        static constexpr QLatin1String dailyRecommendationMinute{"dailyRecommendationMinute.v1"};
        static constexpr QLatin1String dailyRecommendationDifficulty{"dailyRecommendationDifficulty.v1"};
    };

    // A fixed AI and speech configuration carried by a beta build's information dictionary.
    struct BundledServiceConfiguration {
        QString aiBaseURL;
        QString aiModel;
        QString aiAPIKey;
        QString ttsProvider;
        QString ttsBaseURL;
        QString ttsModel;
        QString ttsVoice;
        QString ttsResponseFormat;
        QString ttsAPIKey;

        bool operator==(const BundledServiceConfiguration &) const = default;

        // None unless the three "LQBetaAI…" values are all usable; the speech values fall
        // back to the usual defaults and the speech key to the AI key.
        static std::optional<BundledServiceConfiguration> fromBundle(const BundleInfo &bundle);
        // The trimmed value; `defaultValue` when it is missing, blank or an unexpanded
        // build variable ("$(…").
        static QString value(const QString &key, const BundleInfo &bundle, const QString &defaultValue);
    };

    // Resets the stored AI settings once per database (see resetBundledAISettingsIfNeeded).
    AppPreferences(UserDefaults &userDefaults, std::shared_ptr<APIKeyStoring> apiKeyStore,
                   std::shared_ptr<APIKeyStoring> ttsAPIKeyStore, const BundleInfo &bundle = BundleInfo::main());

    const std::optional<BundledServiceConfiguration> &bundledServiceConfiguration() const
    {
        return m_bundledServiceConfiguration;
    }

    bool hasBundledServiceConfiguration() const override { return m_bundledServiceConfiguration.has_value(); }

    QString aiBaseURL() const override;
    bool setAIBaseURL(const QString &value) override;
    QString aiModel() const override;
    bool setAIModel(const QString &value) override;
    bool reminderEnabled() const override;
    bool setReminderEnabled(bool value) override;
    bool dailyRecommendationEnabled() const override;
    bool setDailyRecommendationEnabled(bool value) override;
    QString dailyRecommendationFrequency() const override;
    bool setDailyRecommendationFrequency(const QString &value) override;
    int dailyRecommendationHour() const override;
    bool setDailyRecommendationHour(int value) override;
    int dailyRecommendationMinute() const override;
    bool setDailyRecommendationMinute(int value) override;
    QString dailyRecommendationDifficulty() const override;
    bool setDailyRecommendationDifficulty(const QString &value) override;
    bool selectionBadgeEnabled() const override;
    bool setSelectionBadgeEnabled(bool value) override;
    bool optionDHotkeyEnabled() const override;
    bool setOptionDHotkeyEnabled(bool value) override;
    QString globalShortcut() const override;
    bool setGlobalShortcut(const QString &value) override;
    bool didConfirmSelectionBadgePrivacyNotice() const override;
    bool setDidConfirmSelectionBadgePrivacyNotice(bool value) override;
    QString ttsProvider() const override;
    bool setTTSProvider(const QString &value) override;
    QString ttsBaseURL() const override;
    bool setTTSBaseURL(const QString &value) override;
    QString ttsModel() const override;
    bool setTTSModel(const QString &value) override;
    QString ttsVoice() const override;
    bool setTTSVoice(const QString &value) override;
    QString ttsResponseFormat() const override;
    bool setTTSResponseFormat(const QString &value) override;
    QString systemPronunciationAccent() const override;
    bool setSystemPronunciationAccent(const QString &value) override;

    bool hasSavedAPIKey() const override;
    bool hasSavedTTSAPIKey() const override;

    QCoro::Task<QString> loadAPIKey() override;
    QCoro::Task<QString> loadTTSAPIKey() override;
    QCoro::Task<void> saveAPIKey(QString key) override;
    QCoro::Task<void> saveTTSAPIKey(QString key) override;

    UserSettings currentUserSettingsWithoutAPIKey() const override;
    QCoro::Task<UserSettings> currentUserSettings() override;

private:
    void resetBundledAISettingsIfNeeded();
    QCoro::Task<QString> migrateLegacyAPIKeyIfNeeded();

    QString storedString(const QString &key, const QString &defaultValue) const;
    // The built-in value when the build fixes the service configuration, else the stored one.
    QString serviceString(QString BundledServiceConfiguration::*field, const QString &key,
                          const QString &defaultValue) const;
    bool setServiceString(const QString &key, const QString &value);
    bool storedBool(const QString &key, bool defaultValue) const;
    int storedInteger(const QString &key, int defaultValue) const;

    UserDefaults &m_userDefaults;
    std::shared_ptr<APIKeyStoring> m_apiKeyStore;
    std::shared_ptr<APIKeyStoring> m_ttsAPIKeyStore;
    std::optional<BundledServiceConfiguration> m_bundledServiceConfiguration;
};
