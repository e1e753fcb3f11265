#pragma once

#include "daily/RecommendationDifficulty.h"
#include "diagnostics/DesktopCheck.h"
#include "reminders/RecommendationFrequency.h"

#include <QObject>
#include <QString>
#include <QTime>

#include <QCoroTask>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class AppNotificationCenter;
class AppPreferencesStoring;
class DailyRecommendationReminderConfiguring;
class DailyReviewReminderConfiguring;
class LaunchAtLogin;

// The state behind the settings window: every user-editable preference, loaded when the
// window opens, validated and saved section by section, with a Chinese message under a
// section whose save failed. Saved API keys are never read back: the fields show a mask.
// Trigger and article changes are announced on the notification centre, so the running
// application follows them at once. Main thread only.
class SettingsViewModel : public QObject {
    Q_OBJECT

public:
    // The running application's hotkey moved to `shortcut` (canonical text); the reason
    // it could not when it stays where it was.
    using ShortcutApplier = std::function<std::optional<QString>(const QString &shortcut)>;
    // Probes the desktop; with `includeNetwork` the AI endpoint too.
    using DesktopChecker = std::function<QCoro::Task<DesktopCheck::Report>(bool includeNetwork)>;

    struct Collaborators {
        // All outlive the view model.
        AppPreferencesStoring &preferences;
        AppNotificationCenter &notificationCenter;
        std::shared_ptr<DailyReviewReminderConfiguring> reminderService;
        std::shared_ptr<DailyRecommendationReminderConfiguring> recommendationReminderService;
        // Null: no "登录时启动" row.
        LaunchAtLogin *launchAtLogin = nullptr;
        // Null: the shortcut is only stored (nothing holds the hotkey in this process).
        ShortcutApplier applyShortcut = {};
        // Null: the permission section has nothing to show.
        DesktopChecker checkDesktop = {};
    };

    static constexpr QLatin1String mask{"********"};
    static QString shortcutTakenMessage() { return QStringLiteral("快捷键已被其他程序占用"); }

    explicit SettingsViewModel(Collaborators collaborators, QObject *parent = nullptr);
    ~SettingsViewModel() override;

    // Editable fields; the window writes them as the learner types.
    QString aiBaseURL, aiModel, aiAPIKey;
    QString ttsProvider, ttsBaseURL, ttsModel, ttsVoice, ttsResponseFormat, ttsAPIKey;
    QString systemPronunciationAccent;
    bool dailyRecommendationEnabled = false;
    RecommendationFrequency dailyRecommendationFrequency = RecommendationFrequency::daily;
    QTime dailyRecommendationTime;
    RecommendationDifficulty dailyRecommendationDifficulty = RecommendationDifficulty::intermediate;

    bool reminderEnabled() const { return m_reminderEnabled; }
    bool selectionBadgeEnabled() const { return m_selectionBadgeEnabled; }
    bool optionDHotkeyEnabled() const { return m_optionDHotkeyEnabled; }
    const QString &globalShortcut() const { return m_globalShortcut; }
    bool launchAtLoginAvailable() const { return m_launchAtLogin != nullptr; }
    bool launchAtLoginEnabled() const { return m_launchAtLoginEnabled; }
    bool hasBundledServiceConfiguration() const { return m_hasBundledServiceConfiguration; }
    // Whether the selection can be read on this desktop (the first check's answer).
    bool isAccessibilityTrusted() const { return m_isAccessibilityTrusted; }
    const std::optional<DesktopCheck::Report> &desktopReport() const { return m_desktopReport; }
    bool isCheckingDesktop() const { return m_checkingDesktop; }

    const std::optional<QString> &aiSettingsErrorMessage() const { return m_aiSettingsErrorMessage; }
    const std::optional<QString> &ttsSettingsErrorMessage() const { return m_ttsSettingsErrorMessage; }
    const std::optional<QString> &reminderSettingsErrorMessage() const { return m_reminderSettingsErrorMessage; }
    const std::optional<QString> &dailyRecommendationSettingsErrorMessage() const
    {
        return m_dailyRecommendationSettingsErrorMessage;
    }
    const std::optional<QString> &lookupTriggerErrorMessage() const { return m_lookupTriggerErrorMessage; }

    // Re-probes the desktop (with the AI endpoint when `includeNetwork`).
    QCoro::Task<void> refreshPermissions(bool includeNetwork = false);

    // Throws what the preferences throw; the FromView forms show it instead.
    QCoro::Task<void> saveAISettings();
    QCoro::Task<void> saveAISettingsFromView();
    void setTTSProvider(const QString &provider);
    QCoro::Task<void> saveTTSSettings();
    QCoro::Task<void> saveTTSSettingsFromView();
    QCoro::Task<void> setReminderEnabled(bool enabled);
    QCoro::Task<void> saveDailyRecommendation();

    void setSelectionBadgeEnabled(bool enabled);
    void setOptionDHotkeyEnabled(bool enabled);
    // Moves the hotkey to `text` ("Ctrl+Alt+K"); a combination another client holds keeps
    // the previous one and says so under the field.
    void setGlobalShortcut(const QString &text);
    void setLaunchAtLoginEnabled(bool enabled);
    bool shouldShowSelectionBadgePrivacyNotice(bool enabled) const;
    void confirmSelectionBadgePrivacyNoticeAndEnable();
    void cancelSelectionBadgePrivacyNotice();

    static bool isValidHTTPURL(const QString &text);
    static bool isMaskedAPIKey(const QString &text);
    static QString maskedAPIKey(qsizetype length);
    static QString settingsSaveErrorMessage(const QString &prefix, std::exception_ptr error);
    // The AI section's warning for a plain-HTTP endpoint beyond this machine; empty otherwise.
    static QString plainHTTPWarning(const QString &baseURL);

signals:
    // Any field or message changed.
    void changed();

private:
    void load();
    void setMessage(std::optional<QString> &field, std::optional<QString> message);
    void requireWritten(bool written, const QString &key);
    // Runs a save; its failure becomes the message in `field`, prefixed.
    QCoro::Task<void> reportFailure(QCoro::Task<void> save, std::optional<QString> SettingsViewModel::*field,
                                    QString prefix);

    AppPreferencesStoring &m_preferences;
    AppNotificationCenter &m_notificationCenter;
    std::shared_ptr<DailyReviewReminderConfiguring> m_reminderService;
    std::shared_ptr<DailyRecommendationReminderConfiguring> m_recommendationReminderService;
    LaunchAtLogin *m_launchAtLogin;
    ShortcutApplier m_applyShortcut;
    DesktopChecker m_checkDesktop;

    bool m_reminderEnabled = false;
    bool m_selectionBadgeEnabled = false;
    bool m_optionDHotkeyEnabled = true;
    QString m_globalShortcut;
    bool m_launchAtLoginEnabled = false;
    bool m_hasBundledServiceConfiguration = false;
    bool m_isAccessibilityTrusted = false;
    bool m_checkingDesktop = false;
    quint64 m_checkGeneration = 0;
    std::optional<DesktopCheck::Report> m_desktopReport;
    std::optional<QString> m_aiSettingsErrorMessage;
    std::optional<QString> m_ttsSettingsErrorMessage;
    std::optional<QString> m_reminderSettingsErrorMessage;
    std::optional<QString> m_dailyRecommendationSettingsErrorMessage;
    std::optional<QString> m_lookupTriggerErrorMessage;
    // Pending coroutines look at it before touching the view model.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
