#pragma once

#include "preferences/UserSettings.h"

#include <QCoroTask>
#include <QString>

// Everything the user configures: plain settings in the user defaults, the AI and speech
// keys in a key store. Reads never fail: an absent value reads as its default. Setters
// return false when the user defaults refused the write (the previous value then stays);
// a write that is ignored on purpose (the AI and speech settings of a build with a fixed
// service configuration) returns true. Main thread only.
class AppPreferencesStoring {
public:
    virtual ~AppPreferencesStoring() = default;

    // The build carries a fixed AI and speech configuration that overrides the stored one.
    virtual bool hasBundledServiceConfiguration() const = 0;

    virtual QString aiBaseURL() const = 0;
    virtual bool setAIBaseURL(const QString &value) = 0;
    virtual QString aiModel() const = 0;
    virtual bool setAIModel(const QString &value) = 0;
    virtual bool reminderEnabled() const = 0;
    virtual bool setReminderEnabled(bool value) = 0;
    virtual bool dailyRecommendationEnabled() const = 0;
    virtual bool setDailyRecommendationEnabled(bool value) = 0;
    // Raw value of the frequency; callers read text they do not know as "daily".
    virtual QString dailyRecommendationFrequency() const = 0;
    virtual bool setDailyRecommendationFrequency(const QString &value) = 0;
    virtual int dailyRecommendationHour() const = 0;
    virtual bool setDailyRecommendationHour(int value) = 0;
    virtual int dailyRecommendationMinute() const = 0;
    virtual bool setDailyRecommendationMinute(int value) = 0;
    // Raw value of the difficulty; callers read text they do not know as "intermediate".
    virtual QString dailyRecommendationDifficulty() const = 0;
    virtual bool setDailyRecommendationDifficulty(const QString &value) = 0;
    virtual bool selectionBadgeEnabled() const = 0;
    virtual bool setSelectionBadgeEnabled(bool value) = 0;
    virtual bool optionDHotkeyEnabled() const = 0;
    virtual bool setOptionDHotkeyEnabled(bool value) = 0;
    // The hotkey's combination in GlobalShortcut's canonical text; Alt+D when none or an
    // unusable one is stored.
    virtual QString globalShortcut() const = 0;
    virtual bool setGlobalShortcut(const QString &value) = 0;
    virtual bool didConfirmSelectionBadgePrivacyNotice() const = 0;
    virtual bool setDidConfirmSelectionBadgePrivacyNotice(bool value) = 0;
    virtual QString ttsProvider() const = 0;
    virtual bool setTTSProvider(const QString &value) = 0;
    virtual QString ttsBaseURL() const = 0;
    virtual bool setTTSBaseURL(const QString &value) = 0;
    virtual QString ttsModel() const = 0;
    virtual bool setTTSModel(const QString &value) = 0;
    virtual QString ttsVoice() const = 0;
    virtual bool setTTSVoice(const QString &value) = 0;
    virtual QString ttsResponseFormat() const = 0;
    virtual bool setTTSResponseFormat(const QString &value) = 0;
    // "american" or "british"; never overridden by a fixed configuration.
    virtual QString systemPronunciationAccent() const = 0;
    virtual bool setSystemPronunciationAccent(const QString &value) = 0;

    // Whether a non-empty key is known to be saved (always true with a fixed configuration).
    virtual bool hasSavedAPIKey() const = 0;
    virtual bool hasSavedTTSAPIKey() const = 0;

    // The AI key; empty when none is saved. Throws KeychainAPIKeyStoreError when the key
    // store cannot tell.
    virtual QCoro::Task<QString> loadAPIKey() = 0;
    // The speech key; empty when none is saved. Never falls back to the AI key.
    virtual QCoro::Task<QString> loadTTSAPIKey() = 0;
    // Stores the key (an empty one deletes it) and records whether one is saved. Throws
    // KeychainAPIKeyStoreError when the key store refused, PreferencesWriteError when the
    // key was stored but the record of it could not be written.
    virtual QCoro::Task<void> saveAPIKey(QString key) = 0;
    virtual QCoro::Task<void> saveTTSAPIKey(QString key) = 0;

    // A fresh snapshot of the settings with both keys empty (unless the build fixes them).
    virtual UserSettings currentUserSettingsWithoutAPIKey() const = 0;
    // The snapshot with both keys loaded; the first failure to load one propagates.
    virtual QCoro::Task<UserSettings> currentUserSettings() = 0;
};
