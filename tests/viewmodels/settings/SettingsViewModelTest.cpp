#include "viewmodels/settings/SettingsViewModel.h"

#include "foundation/AppNotificationCenter.h"
#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "reminders/ReminderService.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "support/fakes/InMemoryReminderNotificationCenter.h"

#include <gtest/gtest.h>

namespace {

class SettingsViewModelTest : public ::testing::Test {
protected:
    std::unique_ptr<SettingsViewModel> open(BundleInfo bundle = BundleInfo())
    {
        preferences = std::make_unique<AppPreferences>(defaults, aiKeys, ttsKeys, bundle);
        auto service = std::make_shared<ReminderService>(centre);
        return std::make_unique<SettingsViewModel>(SettingsViewModel::Collaborators{
            *preferences, notifications, service, service, nullptr,
            [this](const QString &shortcut) -> std::optional<QString> {
                if (shortcut == takenShortcut)
                    return SettingsViewModel::shortcutTakenMessage();
                applied.append(shortcut);
                return std::nullopt;
            },
            {}});
    }
    QList<AppNotification> posts()
    {
        return std::exchange(posted, {});
    }
    void SetUp() override
    {
        QObject::connect(&notifications, &AppNotificationCenter::posted,
                         [this](AppNotification name) { posted.append(name); });
    }

    InMemoryUserDefaults defaults;
    std::shared_ptr<InMemoryAPIKeyStore> aiKeys = std::make_shared<InMemoryAPIKeyStore>();
    std::shared_ptr<InMemoryAPIKeyStore> ttsKeys = std::make_shared<InMemoryAPIKeyStore>();
    std::unique_ptr<AppPreferences> preferences;
    InMemoryReminderNotificationCenter centre;
    AppNotificationCenter notifications;
    QList<AppNotification> posted;
    QString takenShortcut = QStringLiteral("Ctrl+Alt+T");
    QStringList applied;
};

TEST_F(SettingsViewModelTest, KeysAreMaskedNeverReadBackAndOnlyTypedOnesAreStored)
{
    struct Row { QString typed; QString stored; QString shown; int saves; };
    const QList<Row> rows = {
        {"  sk-12  ", "sk-12", "********", 1},
        {"sk-0123456789abcdefgh", "sk-0123456789abcdefgh", QString(21, '*'), 1},
        {"********", "sk-0123456789abcdefgh", "********", 0}, // the mask keeps the stored key
        {"   ", "sk-0123456789abcdefgh", "   ", 0},
    };
    for (const Row &row : rows) {
        const auto model = open();
        const int before = aiKeys->saveCount();
        model->aiBaseURL = "https://ai.example/v1";
        model->aiAPIKey = row.typed;
        waitForTask(model->saveAISettings());
        EXPECT_EQ(aiKeys->key(), row.stored) << row.typed.toStdString();
        EXPECT_EQ(model->aiAPIKey, row.shown);
        EXPECT_EQ(aiKeys->saveCount() - before, row.saves);
        EXPECT_EQ(open()->aiAPIKey, "********") << "a reopened window shows the mask, not the key";
    }

    aiKeys->setFailure(KeychainAPIKeyStoreError::unhandledStatus(-25293));
    const auto model = open();
    model->aiBaseURL = "https://other.example/v1";
    model->aiAPIKey = "sk-new";
    waitForTask(model->saveAISettingsFromView());
    EXPECT_EQ(model->aiSettingsErrorMessage(), "AI 设置保存失败：Keychain 操作失败（OSStatus -25293）。");
    EXPECT_EQ(preferences->aiBaseURL(), "https://other.example/v1") << "written before the key";
    aiKeys->setFailure(std::nullopt);
    model->aiAPIKey = "********";
    waitForTask(model->saveAISettingsFromView());
    EXPECT_FALSE(model->aiSettingsErrorMessage());
}

TEST_F(SettingsViewModelTest, SpeechSettingsTakeProviderDefaultsAndRejectBadURLsUnlessSystem)
{
    const auto model = open();
    model->setTTSProvider("dashScopeCosyVoice");
    EXPECT_EQ(QStringList({model->ttsModel, model->ttsVoice, model->ttsResponseFormat}),
              QStringList({"cosyvoice-v3-flash", "longying", "wav"}));
    model->setTTSProvider("system");
    EXPECT_EQ(model->ttsModel, "cosyvoice-v3-flash") << "the system voice leaves the fields alone";

    struct Row { QString provider; QString url; std::optional<QString> stored; };
    const QList<Row> rows = {
        {"openai", "ftp://speech.example/v1", std::nullopt},
        {"openai", "https://", std::nullopt},
        {"openai", "not a url", std::nullopt},
        {"openai", "  https://speech.example/v1/audio/speech  ", "https://speech.example/v1/audio/speech"},
        {"system", "not a url", "not a url"},
    };
    for (const Row &row : rows) {
        const QString before = preferences->ttsBaseURL();
        model->setTTSProvider(row.provider);
        model->ttsBaseURL = row.url;
        waitForTask(model->saveTTSSettingsFromView());
        EXPECT_EQ(preferences->ttsBaseURL(), row.stored.value_or(before)) << row.url.toStdString();
        EXPECT_EQ(model->ttsSettingsErrorMessage(),
                  row.stored ? std::nullopt : std::optional<QString>("发音设置保存失败：TTS Base URL 无效。"));
    }

    // A build with a fixed service configuration writes nothing and shows no error.
    const auto fixed = open(BundleInfo({{"LQBetaAIBaseURL", "https://beta.example/v1"},
                                        {"LQBetaAIModel", "m"}, {"LQBetaAIAPIKey", "sk-beta"}}));
    EXPECT_EQ(fixed->aiAPIKey, "********");
    fixed->setTTSProvider("openAICompatible");
    fixed->ttsBaseURL = "bad";
    fixed->aiAPIKey = "sk-other";
    waitForTask(fixed->saveTTSSettingsFromView());
    waitForTask(fixed->saveAISettingsFromView());
    EXPECT_FALSE(fixed->ttsSettingsErrorMessage());
    EXPECT_FALSE(fixed->aiSettingsErrorMessage());
    EXPECT_EQ(aiKeys->saveCount(), 0);
    EXPECT_EQ(defaults.stringValue("ttsBaseURL"), "not a url");
}

TEST_F(SettingsViewModelTest, RemindersRevertWhenRefusedAndTriggersAnnounceTheirChanges)
{
    const auto model = open();
    centre.granted = false;
    waitForTask(model->setReminderEnabled(true));
    EXPECT_FALSE(model->reminderEnabled());
    EXPECT_FALSE(preferences->reminderEnabled());
    EXPECT_EQ(model->reminderSettingsErrorMessage(), "复习提醒设置更新失败。");
    model->dailyRecommendationEnabled = true;
    model->dailyRecommendationTime = QTime(7, 45);
    waitForTask(model->saveDailyRecommendation());
    EXPECT_FALSE(model->dailyRecommendationEnabled);
    EXPECT_EQ(preferences->dailyRecommendationHour(), 8) << "nothing is written";
    EXPECT_TRUE(posts().isEmpty());

    centre.granted = true;
    waitForTask(model->setReminderEnabled(true));
    model->dailyRecommendationEnabled = true;
    waitForTask(model->saveDailyRecommendation());
    EXPECT_TRUE(preferences->reminderEnabled());
    EXPECT_EQ(preferences->dailyRecommendationHour() * 60 + preferences->dailyRecommendationMinute(), 7 * 60 + 45);
    EXPECT_FALSE(model->reminderSettingsErrorMessage());
    EXPECT_EQ(posts(), QList<AppNotification>{AppNotification::dailyRecommendationPreferencesChanged});

    // The badge asks first; cancelling leaves it off.
    EXPECT_TRUE(model->shouldShowSelectionBadgePrivacyNotice(true));
    model->cancelSelectionBadgePrivacyNotice();
    EXPECT_FALSE(model->selectionBadgeEnabled());
    model->confirmSelectionBadgePrivacyNoticeAndEnable();
    EXPECT_TRUE(preferences->selectionBadgeEnabled());
    EXPECT_FALSE(model->shouldShowSelectionBadgePrivacyNotice(true));

    // A taken combination keeps the previous one; a free one moves the hotkey.
    model->setGlobalShortcut("ctrl+alt+t");
    EXPECT_EQ(model->lookupTriggerErrorMessage(), SettingsViewModel::shortcutTakenMessage());
    EXPECT_EQ(preferences->globalShortcut(), "Alt+D");
    model->setGlobalShortcut("Shift+K");
    EXPECT_EQ(preferences->globalShortcut(), "Alt+D");
    model->setGlobalShortcut("Super+shift+f8");
    EXPECT_EQ(preferences->globalShortcut(), "Super+Shift+F8");
    EXPECT_EQ(applied, QStringList{"Super+Shift+F8"});
    EXPECT_FALSE(model->lookupTriggerErrorMessage());
    EXPECT_EQ(posts(), QList<AppNotification>(2, AppNotification::lookupTriggerPreferencesChanged));

    // A combination that cannot be stored is given back to the previous one at once.
    defaults.setFailsWrites(true);
    model->setGlobalShortcut("ctrl+shift+y");
    EXPECT_EQ(applied, QStringList({"Super+Shift+F8", "Ctrl+Shift+Y", "Super+Shift+F8"}));
    EXPECT_TRUE(model->lookupTriggerErrorMessage());
    model->setOptionDHotkeyEnabled(false);
    EXPECT_TRUE(model->optionDHotkeyEnabled()) << "what is shown is what is stored";
}

} // namespace
