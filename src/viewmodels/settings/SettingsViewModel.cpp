#include "viewmodels/settings/SettingsViewModel.h"

#include "foundation/AppError.h"
#include "foundation/AppNotificationCenter.h"
#include "hotkey/GlobalShortcut.h"
#include "logging/AppLogger.h"
#include "network/PlainHTTPPolicy.h"
#include "preferences/AppPreferences.h"
#include "preferences/AppPreferencesStoring.h"
#include "preferences/KeychainAPIKeyStoreError.h"
#include "preferences/LaunchAtLogin.h"
#include "preferences/PreferencesWriteError.h"
#include "reminders/DailyRecommendationReminderConfiguring.h"
#include "reminders/DailyReviewReminderConfiguring.h"
#include "speech/TextToSpeechProviderCatalogue.h"

#include <QUrl>

#include <algorithm>

using Key = AppPreferences::Key;

SettingsViewModel::SettingsViewModel(Collaborators collaborators, QObject *parent)
    : QObject(parent),
      m_preferences(collaborators.preferences),
      m_notificationCenter(collaborators.notificationCenter),
      m_reminderService(std::move(collaborators.reminderService)),
      m_recommendationReminderService(std::move(collaborators.recommendationReminderService)),
      m_launchAtLogin(collaborators.launchAtLogin),
      m_applyShortcut(std::move(collaborators.applyShortcut)),
      m_checkDesktop(std::move(collaborators.checkDesktop))
{
    load();
}

SettingsViewModel::~SettingsViewModel() { *m_alive = false; }

void SettingsViewModel::load()
{
    m_hasBundledServiceConfiguration = m_preferences.hasBundledServiceConfiguration();
    aiBaseURL = m_preferences.aiBaseURL();
    aiModel = m_preferences.aiModel();
    // Never the key itself: the keyring is not read to fill a field.
    aiAPIKey = m_preferences.hasSavedAPIKey() ? QString(mask) : QString();
    ttsProvider = m_preferences.ttsProvider();
    ttsBaseURL = m_preferences.ttsBaseURL();
    ttsModel = m_preferences.ttsModel();
    ttsVoice = m_preferences.ttsVoice();
    ttsResponseFormat = m_preferences.ttsResponseFormat();
    ttsAPIKey = m_preferences.hasSavedTTSAPIKey() ? QString(mask) : QString();
    systemPronunciationAccent = m_preferences.systemPronunciationAccent();
    m_reminderEnabled = m_preferences.reminderEnabled();
    dailyRecommendationEnabled = m_preferences.dailyRecommendationEnabled();
    dailyRecommendationFrequency = recommendationFrequencyFromPreference(m_preferences.dailyRecommendationFrequency());
    dailyRecommendationDifficulty =
        recommendationDifficultyFromPreference(m_preferences.dailyRecommendationDifficulty());
    const int hour = std::clamp(m_preferences.dailyRecommendationHour(), 0, 23);
    const int minute = std::clamp(m_preferences.dailyRecommendationMinute(), 0, 59);
    dailyRecommendationTime = QTime(hour, minute);
    m_selectionBadgeEnabled = m_preferences.selectionBadgeEnabled();
    m_optionDHotkeyEnabled = m_preferences.optionDHotkeyEnabled();
    m_globalShortcut = m_preferences.globalShortcut();
    m_launchAtLoginEnabled = m_launchAtLogin && m_launchAtLogin->isEnabled();
}

void SettingsViewModel::setMessage(std::optional<QString> &field, std::optional<QString> message)
{
    field = std::move(message);
    emit changed();
}

void SettingsViewModel::requireWritten(bool written, const QString &key)
{
    if (!written)
        throw PreferencesWriteError(key);
}

QCoro::Task<void> SettingsViewModel::refreshPermissions(bool includeNetwork)
{
    if (!m_checkDesktop)
        co_return;
    const std::shared_ptr<bool> alive = m_alive;
    const quint64 generation = ++m_checkGeneration;
    m_checkingDesktop = true;
    emit changed();
    const DesktopCheck::Report report = co_await m_checkDesktop(includeNetwork);
    if (!*alive || generation != m_checkGeneration)
        co_return;
    m_desktopReport = report;
    m_isAccessibilityTrusted = std::none_of(report.lines.cbegin(), report.lines.cend(), [](const DesktopCheck::Line &l) {
        return (l.item == DesktopCheck::Item::primarySelection || l.item == DesktopCheck::Item::dataControlSelection)
               && !l.ok && !l.fallbackWorks;
    });
    m_checkingDesktop = false;
    emit changed();
}

bool SettingsViewModel::isValidHTTPURL(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
           && !url.host().isEmpty();
}

bool SettingsViewModel::isMaskedAPIKey(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == QLatin1Char('*'); });
}

QString SettingsViewModel::maskedAPIKey(qsizetype length) { return QString(std::max<qsizetype>(8, length), QLatin1Char('*')); }

QString SettingsViewModel::settingsSaveErrorMessage(const QString &prefix, std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const KeychainAPIKeyStoreError &keychain) {
        return prefix + QStringLiteral("：Keychain 操作失败（OSStatus %1）。").arg(keychain.status());
    } catch (const AppError &appError) {
        if (appError.kind() == AppError::Kind::textToSpeechFailed)
            return prefix + QStringLiteral("：") + appError.payload();
        return prefix + QStringLiteral("：") + appError.errorDescription();
    } catch (const PreferencesWriteError &write) {
        return prefix + QStringLiteral("：") + write.errorDescription();
    } catch (...) {
        return prefix + QStringLiteral("。");
    }
}

QString SettingsViewModel::plainHTTPWarning(const QString &baseURL)
{
    return PlainHTTPPolicy::warrantsWarning(QUrl(baseURL.trimmed())) ? PlainHTTPPolicy::warning() : QString();
}

QCoro::Task<void> SettingsViewModel::saveAISettings()
{
    if (m_hasBundledServiceConfiguration) {
        setMessage(m_aiSettingsErrorMessage, std::nullopt);
        co_return;
    }
    requireWritten(m_preferences.setAIBaseURL(aiBaseURL), Key::aiBaseURL);
    requireWritten(m_preferences.setAIModel(aiModel), Key::aiModel);
    const QString key = aiAPIKey.trimmed();
    if (!key.isEmpty() && !isMaskedAPIKey(key)) {
        const std::shared_ptr<bool> alive = m_alive;
        co_await m_preferences.saveAPIKey(key);
        if (!*alive)
            co_return;
        aiAPIKey = maskedAPIKey(key.size());
    }
    setMessage(m_aiSettingsErrorMessage, std::nullopt);
}

QCoro::Task<void> SettingsViewModel::saveAISettingsFromView()
{
    return reportFailure(saveAISettings(), &SettingsViewModel::m_aiSettingsErrorMessage, QStringLiteral("AI 设置保存失败"));
}

QCoro::Task<void> SettingsViewModel::reportFailure(QCoro::Task<void> save, std::optional<QString> SettingsViewModel::*field,
                                                   QString prefix)
{
    const std::shared_ptr<bool> alive = m_alive;
    std::exception_ptr failure;
    try {
        co_await std::move(save);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure && *alive)
        setMessage(this->*field, settingsSaveErrorMessage(prefix, failure));
}

void SettingsViewModel::setTTSProvider(const QString &provider)
{
    if (m_hasBundledServiceConfiguration)
        return;
    ttsProvider = provider;
    if (const auto known = TextToSpeechProviderCatalogue::provider(provider); known && known->defaults) {
        ttsBaseURL = known->defaults->baseURL;
        ttsModel = known->defaults->model;
        ttsVoice = known->defaults->voice;
        ttsResponseFormat = known->defaults->responseFormat;
    }
    emit changed();
}

QCoro::Task<void> SettingsViewModel::saveTTSSettings()
{
    if (m_hasBundledServiceConfiguration) {
        setMessage(m_ttsSettingsErrorMessage, std::nullopt);
        co_return;
    }
    if (ttsProvider != QLatin1String("system")) {
        const QString trimmed = ttsBaseURL.trimmed();
        if (!isValidHTTPURL(trimmed))
            throw AppError::textToSpeechFailed(QStringLiteral("TTS Base URL 无效。"));
        ttsBaseURL = trimmed;
    }
    requireWritten(m_preferences.setTTSProvider(ttsProvider), Key::ttsProvider);
    requireWritten(m_preferences.setTTSBaseURL(ttsBaseURL), Key::ttsBaseURL);
    requireWritten(m_preferences.setTTSModel(ttsModel), Key::ttsModel);
    requireWritten(m_preferences.setTTSVoice(ttsVoice), Key::ttsVoice);
    requireWritten(m_preferences.setTTSResponseFormat(ttsResponseFormat), Key::ttsResponseFormat);
    requireWritten(m_preferences.setSystemPronunciationAccent(systemPronunciationAccent),
                   Key::systemPronunciationAccent);
    const QString key = ttsAPIKey.trimmed();
    if (!key.isEmpty() && !isMaskedAPIKey(key)) {
        const std::shared_ptr<bool> alive = m_alive;
        co_await m_preferences.saveTTSAPIKey(key);
        if (!*alive)
            co_return;
        ttsAPIKey = maskedAPIKey(key.size());
    }
    setMessage(m_ttsSettingsErrorMessage, std::nullopt);
}

QCoro::Task<void> SettingsViewModel::saveTTSSettingsFromView()
{
    return reportFailure(saveTTSSettings(), &SettingsViewModel::m_ttsSettingsErrorMessage, QStringLiteral("发音设置保存失败"));
}

QCoro::Task<void> SettingsViewModel::setReminderEnabled(bool enabled)
{
    const std::shared_ptr<bool> alive = m_alive;
    const bool remembered = m_preferences.reminderEnabled();
    m_reminderEnabled = enabled;
    emit changed();
    bool failed = false;
    try {
        co_await m_reminderService->configureDailyReminder(enabled, 20, 30);
    } catch (const std::exception &error) {
        AppLogger::error("Failed to update the review reminder from the settings", error);
        failed = true;
    }
    if (!*alive)
        co_return;
    // Switching off cannot fail for the learner: the request is gone either way.
    if (failed && enabled) {
        m_reminderEnabled = remembered;
        m_preferences.setReminderEnabled(remembered);
        setMessage(m_reminderSettingsErrorMessage, QStringLiteral("复习提醒设置更新失败。"));
        co_return;
    }
    if (!m_preferences.setReminderEnabled(enabled)) {
        m_reminderEnabled = remembered;
        setMessage(m_reminderSettingsErrorMessage, QStringLiteral("复习提醒设置更新失败。"));
        co_return;
    }
    setMessage(m_reminderSettingsErrorMessage, std::nullopt);
}

QCoro::Task<void> SettingsViewModel::saveDailyRecommendation()
{
    const std::shared_ptr<bool> alive = m_alive;
    const bool remembered = m_preferences.dailyRecommendationEnabled();
    const int hour = dailyRecommendationTime.isValid() ? dailyRecommendationTime.hour() : 8;
    const int minute = dailyRecommendationTime.isValid() ? dailyRecommendationTime.minute() : 0;
    bool failed = false;
    try {
        co_await m_recommendationReminderService->configureRecommendationReminder(
            dailyRecommendationEnabled, dailyRecommendationFrequency, hour, minute);
    } catch (const std::exception &error) {
        AppLogger::error("Failed to update the daily recommendation from the settings", error);
        failed = true;
    }
    if (!*alive)
        co_return;
    failed = failed || !m_preferences.setDailyRecommendationEnabled(dailyRecommendationEnabled)
             || !m_preferences.setDailyRecommendationFrequency(rawValue(dailyRecommendationFrequency))
             || !m_preferences.setDailyRecommendationHour(hour) || !m_preferences.setDailyRecommendationMinute(minute)
             || !m_preferences.setDailyRecommendationDifficulty(rawValue(dailyRecommendationDifficulty));
    if (failed) {
        dailyRecommendationEnabled = remembered;
        setMessage(m_dailyRecommendationSettingsErrorMessage, QStringLiteral("每日推荐设置更新失败，请检查通知权限。"));
        co_return;
    }
    setMessage(m_dailyRecommendationSettingsErrorMessage, std::nullopt);
    m_notificationCenter.post(AppNotification::dailyRecommendationPreferencesChanged);
}

void SettingsViewModel::setSelectionBadgeEnabled(bool enabled)
{
    m_selectionBadgeEnabled = enabled;
    if (!m_preferences.setSelectionBadgeEnabled(enabled))
        m_selectionBadgeEnabled = m_preferences.selectionBadgeEnabled();
    emit changed();
    m_notificationCenter.post(AppNotification::lookupTriggerPreferencesChanged);
}

void SettingsViewModel::setOptionDHotkeyEnabled(bool enabled)
{
    m_optionDHotkeyEnabled = enabled;
    if (!m_preferences.setOptionDHotkeyEnabled(enabled))
        m_optionDHotkeyEnabled = m_preferences.optionDHotkeyEnabled();
    emit changed();
    m_notificationCenter.post(AppNotification::lookupTriggerPreferencesChanged);
}

void SettingsViewModel::setGlobalShortcut(const QString &text)
{
    const std::optional<GlobalShortcut> shortcut = GlobalShortcut::parse(text);
    if (!shortcut) {
        setMessage(m_lookupTriggerErrorMessage,
                   QStringLiteral("快捷键需要 Ctrl、Alt 或 Super 加一个字母、数字或功能键（F1–F24）。"));
        return;
    }
    const QString canonical = shortcut->toString();
    const QString previous = m_globalShortcut;
    if (canonical == previous) {
        setMessage(m_lookupTriggerErrorMessage, std::nullopt);
        return;
    }
    // The new key is claimed before the old one goes, so a taken one changes nothing.
    if (m_optionDHotkeyEnabled && m_applyShortcut) {
        if (const std::optional<QString> failure = m_applyShortcut(canonical)) {
            setMessage(m_lookupTriggerErrorMessage, *failure);
            return;
        }
    }
    if (!m_preferences.setGlobalShortcut(canonical)) {
        if (m_optionDHotkeyEnabled && m_applyShortcut)
            m_applyShortcut(previous);
        setMessage(m_lookupTriggerErrorMessage, PreferencesWriteError(Key::globalShortcut).errorDescription());
        return;
    }
    m_globalShortcut = canonical;
    setMessage(m_lookupTriggerErrorMessage, std::nullopt);
    m_notificationCenter.post(AppNotification::lookupTriggerPreferencesChanged);
}

void SettingsViewModel::setLaunchAtLoginEnabled(bool enabled)
{
    if (!m_launchAtLogin)
        return;
    if (!m_launchAtLogin->setEnabled(enabled))
        setMessage(m_lookupTriggerErrorMessage,
                   QStringLiteral("无法修改登录时启动：自启动文件 %1 无法写入或删除。").arg(m_launchAtLogin->entryPath()));
    m_launchAtLoginEnabled = m_launchAtLogin->isEnabled();
    emit changed();
}

bool SettingsViewModel::shouldShowSelectionBadgePrivacyNotice(bool enabled) const
{
    return enabled && !m_preferences.didConfirmSelectionBadgePrivacyNotice();
}

void SettingsViewModel::confirmSelectionBadgePrivacyNoticeAndEnable()
{
    m_preferences.setDidConfirmSelectionBadgePrivacyNotice(true);
    setSelectionBadgeEnabled(true);
}

void SettingsViewModel::cancelSelectionBadgePrivacyNotice()
{
    m_selectionBadgeEnabled = m_preferences.selectionBadgeEnabled();
    emit changed();
}
